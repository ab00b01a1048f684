#include "mining/MainWindow.h"

#include <ctime>

#include "mining/Export.h"
#include "mining/RunAborted.h"
#include "text/CodePage.h"

namespace sowmere::mining {
namespace {

using text::Text;

Text gbk(std::string_view utf8) { return text::utf8ToLocal(utf8); }

// The title reports where the run stands; the state follows five blanks.
Text titleWith(std::string_view utf8State) { return gbk(" Sowmere     ") + gbk(utf8State); }

struct SourceBox {
    const char* caption;
    ui::Geometry geometry;
    const char* objectName;
    bool ticked;
};

// In the order the run consults them.
constexpr std::array<SourceBox, 6> kSources{{
    {"  百度", {24, 312, 60, 24}, "baiduBox", true},
    {"  Google", {104, 312, 72, 24}, "googleBox", false},
    {"  好搜", {24, 344, 60, 24}, "haosouBox", false},
    {"  搜狗", {104, 344, 72, 24}, "sogouBox", false},
    {"  有道", {24, 376, 60, 24}, "youdaoBox", false},
    {"  必应", {104, 376, 72, 24}, "bingBox", false},
}};

// Asked when the window is closed while a run is in progress.
constexpr const char* kQuitQuestion = "   正在挖掘，确定要停止挖掘并退出软件吗？";

std::tm localNow() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local;
}

}  // namespace

MainWindow::MainWindow(harvest::RunState& state, ui::Dialogs& dialogs, ui::EventPump& pump,
                       std::string programDirectory)
    : m_state(state),
      m_dialogs(dialogs),
      m_pump(pump),
      m_programDirectory(std::move(programDirectory)),
      m_window(gbk(" Sowmere"), 614, 540, "mainWindow"),
      m_keywordFrame(m_window, {8, 16, 176, 264}),
      m_sourceFrame(m_window, {8, 304, 176, 104}),
      m_contactFrame(m_window, {8, 432, 176, 35}),
      m_keywordPrompt(m_window, {16, 0, 88, 24}, gbk("请输入关键词：")),
      m_keywordBox(m_window, {16, 24, 160, 200}, ui::EditKind::MultiLineScrolling, {},
                   "keywordBox"),
      m_countLabel(m_window, {24, 224, 64, 24}, gbk("数量："), "countLabel"),
      m_progressLabel(m_window, {96, 224, 64, 24}, gbk("运行："), "progressLabel"),
      m_failureLink(m_window, {16, 248, 160, 20}, {}, "failureLink"),
      m_sourcePrompt(m_window, {16, 288, 88, 24}, gbk("来源：")),
      m_contactLink(m_window, {16, 440, 160, 20}, {}, "超级链接框1"),
      m_delayPrompt(m_window, {264, 424, 40, 20}, gbk("延迟：")),
      m_delayBox(m_window, {312, 424, 48, 20}, ui::EditKind::SingleLineCentred, "1000", "delayBox"),
      m_delayHint(m_window, {368, 424, 232, 20}, gbk("量多时可设置延迟抵抗搜索引擎的防御机制")),
      m_longTailBox(m_window, {224, 456, 88, 24}, gbk("只选长尾词"), false, "longTailBox"),
      m_startButton(m_window, {312, 456, 80, 24}, gbk("开始挖掘"), "startButton"),
      m_stopButton(m_window, {408, 456, 80, 24}, gbk("停止挖掘"), "stopButton"),
      m_exportButton(m_window, {504, 456, 80, 24}, gbk("导出数据"), "exportButton"),
      m_table(m_window),
      m_announcement(m_window, {8, 488, 592, 24}, {}, "标签8") {
    for (std::size_t i = 0; i < kSources.size(); ++i) {
        const SourceBox& source = kSources[i];
        m_sourceBoxes[i] = std::make_unique<ui::CheckBox>(
            m_window, source.geometry, gbk(source.caption), source.ticked, source.objectName);
    }
    m_delayBox.setDigitsAndMinusFilter();

    m_keywordBox.onTextChanged([this] { keywordsChanged(); });
    m_startButton.onPressed([this] { startPressed(); });
    m_stopButton.onPressed([this] { stopPressed(); });
    m_exportButton.onPressed([this] { exportPressed(); });
    m_failureLink.onPressed([this] {
        if (!m_quitting) m_failureWindow.show(m_state.failureLog);
    });
    m_window.setCloseFilter([this] { return allowClose(); });
}

MainWindow::~MainWindow() = default;

void MainWindow::open() {
    m_window.show();
    m_state.stopRequested = 1;
    m_state.rowSerial = 0;
    m_failureLink.setText({});
}

void MainWindow::setAnnouncement(std::string_view gbkText) { m_announcement.setText(gbkText); }

void MainWindow::setContactLink(std::string_view gbkCaption, std::function<void()> onPressed) {
    m_contactLink.setText(gbkCaption);
    m_contactLink.onPressed(std::move(onPressed));
}

// ---- the host of the harvesters --------------------------------------------------------------

bool MainWindow::longTailTicked() { return m_longTailBox.isTicked(); }

int MainWindow::readDelayBox() { return text::textToNumber(m_delayBox.text()); }

// Once the user has chosen to quit, the run must not go on to another fetch, row, wait or
// message: the pump throws instead, before and after letting events run.
void MainWindow::processPendingEvents() {
    if (m_quitting) throw RunAborted{};
    m_pump.processPendingEvents();
    if (m_quitting) throw RunAborted{};
}

void MainWindow::delayWithEvents(int ms) {
    if (m_quitting) throw RunAborted{};
    m_pump.delayWithEvents(ms);
    if (m_quitting) throw RunAborted{};
}

void MainWindow::appendRow() { m_table.appendRow(); }
int MainWindow::rowCount() { return m_table.rowCount(); }
void MainWindow::setCell(int row, int column, std::string_view text) {
    m_table.setCell(row, column, text);
}

// ---- events -----------------------------------------------------------------------------------

void MainWindow::startPressed() {
    if (m_quitting) return;
    struct Depth {
        int& depth;
        explicit Depth(int& d) : depth(d) { ++depth; }
        ~Depth() { --depth; }
    } depth(m_runDepth);
    try {
        run();
    } catch (const RunAborted&) {
        // The window is closing; the runs beneath this one unwind the same way.
    }
}

void MainWindow::run() {
    m_state.stopRequested = 0;
    m_state.failureLog.clear();
    m_failureLink.setText({});
    // Taken once: later edits of the box do not change this run.
    const std::vector<Text> keywordLines = text::splitLines(m_keywordBox.text());
    m_window.setTitle(titleWith("开始挖掘~~~"));
    const std::size_t n = keywordLines.size();
    for (std::size_t i = 1; i <= n; ++i) {
        if (m_state.stopRequested != 0) break;
        m_progressLabel.setText(gbk("运行：") + text::decimal(static_cast<long long>(i)));
        m_state.currentKeyword = keywordLines[i - 1];
        processPendingEvents();
        for (std::size_t s = 0; s < m_slots.size(); ++s) {
            // Read at each slot: ticking a source during a run counts from the next slot on.
            if (m_sourceBoxes[s]->isTicked() && m_slots[s] != nullptr) m_slots[s]->harvest();
            processPendingEvents();
        }
        delayWithEvents(readDelayBox());
    }
    m_state.failureLines = text::splitLines(m_state.failureLog);
    processPendingEvents();
    m_failureLink.setText(gbk("失败：") +
                          text::decimal(static_cast<long long>(m_state.failureLines.size())));
    processPendingEvents();
    m_window.setTitle(titleWith("挖掘完毕~~~"));
    processPendingEvents();
    m_dialogs.message(gbk("   挖掘完毕"));
}

void MainWindow::stopPressed() {
    if (m_quitting) return;
    try {
        m_state.stopRequested = 1;
        processPendingEvents();
        m_window.setTitle(titleWith("停止挖掘~~~"));
        processPendingEvents();
        m_dialogs.message(gbk("   停止挖掘"));
    } catch (const RunAborted&) {
        // The window is closing.
    }
}

void MainWindow::exportPressed() {
    if (m_quitting) return;
    const ExportOutcome outcome = exportResults(m_table, m_programDirectory, localNow());
    m_dialogs.message(outcome.message);
}

void MainWindow::keywordsChanged() {
    const auto count = text::splitLines(m_keywordBox.text()).size();
    m_countLabel.setText(gbk("数量：") + text::decimal(static_cast<long long>(count)));
}

// Closing during a run asks first; quitting unwinds every run at once and leaves no window of
// the program behind, so that nothing goes on mining unseen.
bool MainWindow::allowClose() {
    if (m_runDepth == 0 || m_quitting) return true;
    if (!m_dialogs.message(gbk(kQuitQuestion), ui::Buttons::OkCancel)) return false;
    m_quitting = true;
    m_state.stopRequested = 1;
    m_pump.cancelDelays();
    if (m_failureWindow.window().isOpen()) m_failureWindow.window().requestClose();
    return true;
}

}  // namespace sowmere::mining
