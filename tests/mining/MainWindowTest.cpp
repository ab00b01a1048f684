#include "mining/MainWindow.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <functional>

#include "harvest/Engines.h"
#include "mining/Export.h"
#include "support/Fakes.h"
#include "support/Gbk.h"
#include "text/CodePage.h"

namespace sowmere::mining {
namespace {

using testing::gbk;

struct ApplicationFirst {
    ApplicationFirst() { testing::ensureApplication(); }
};

// Plays an engine: for each call it logs "name:keyword@progress", appends `rows` rows the way a
// harvester does (serial first, columns 3 and 4 after events have run) and may log a failure.
class ScriptedSlot final : public harvest::EngineSlot {
public:
    ScriptedSlot(std::string label, harvest::RunState& state, harvest::HarvestHost& host,
                 std::vector<std::string>& journal, std::function<std::string()> progress)
        : m_label(std::move(label)),
          m_state(state),
          m_host(host),
          m_journal(journal),
          m_progress(std::move(progress)) {}

    void harvest() override {
        m_journal.push_back(m_label + ":" + text::localToUtf8(m_state.currentKeyword) + "@" +
                            m_progress());
        for (int k = 1; k <= rows; ++k) {
            if (stopTestPerRow && m_state.stopRequested != 0) break;
            ++m_state.rowSerial;
            m_host.appendRow();
            m_host.setCell(m_host.rowCount() - 1, 0, text::decimal(m_state.rowSerial));
            m_host.setCell(m_host.rowCount() - 1, 1, m_label + m_state.currentKeyword);
            m_host.setCell(m_host.rowCount() - 1, 2, m_state.currentKeyword + std::to_string(k));
            m_host.processPendingEvents();
            m_host.setCell(m_host.rowCount() - 1, 3, "100");
            m_host.setCell(m_host.rowCount() - 1, 4, gbk(u8"否"));
            if (afterRow) afterRow(k);
        }
        if (fails) m_state.failureLog += m_label + m_state.currentKeyword + "\r\n";
    }

    int rows = 0;
    bool stopTestPerRow = false;
    bool fails = false;
    std::function<void(int)> afterRow;

private:
    std::string m_label;
    harvest::RunState& m_state;
    harvest::HarvestHost& m_host;
    std::vector<std::string>& m_journal;
    std::function<std::string()> m_progress;
};

class MainWindowTest : public ::testing::Test, private ApplicationFirst {
protected:
    MainWindowTest() {
        const char* labels[] = {"baidu", "google", "haosou", "sogou", "youdao", "bing"};
        std::array<harvest::EngineSlot*, 6> engineSlots{};
        for (int i = 0; i < 6; ++i) {
            m_slots[i] = std::make_unique<ScriptedSlot>(
                labels[i], m_state, m_main.harvestHost(), m_journal,
                [this] { return label("progressLabel").toStdString(); });
            engineSlots[i] = m_slots[i].get();
        }
        m_main.setEngineSlots(engineSlots);
        m_state.stopRequested = 7;
        m_state.rowSerial = 99;
        m_main.open();
    }

    template <typename T = QWidget>
    T* find(const char* name, QWidget* in = nullptr) {
        QWidget* root = in ? in : m_main.window().widget();
        auto* found = root->findChild<T*>(QString::fromUtf8(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }
    QString label(const char* name) { return find<QLabel>(name)->text(); }
    void press(const char* name) { find<QAbstractButton>(name)->click(); }
    void tick(const char* name, bool ticked) { find<QAbstractButton>(name)->setChecked(ticked); }
    void setKeywords(const char* utf8Lines) {
        find<QPlainTextEdit>("keywordBox")->setPlainText(QString::fromUtf8(utf8Lines));
    }
    void setDelay(const char* utf8) {
        find<QLineEdit>("delayBox")->setText(QString::fromUtf8(utf8));
    }
    ScriptedSlot& slot(int i) { return *m_slots[i]; }
    std::string cell(int row, int column) { return m_main.resultTable().cellText(row, column); }
    std::vector<std::string> utf8Messages() {
        std::vector<std::string> texts;
        for (const auto& t : m_dialogs.texts()) texts.push_back(text::localToUtf8(t));
        return texts;
    }
    std::string title() { return text::localToUtf8(m_main.window().title()); }
    QPlainTextEdit* failureBox() {
        return find<QPlainTextEdit>("failureBox", m_main.failureWindow().widget());
    }

    // The .txt files in the program directory, by their GBK names.
    std::vector<std::string> exportedNames() {
        std::vector<std::string> names;
        for (const QString& n : QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden)) {
            names.push_back(text::utf8ToLocal(n.toStdString()));
        }
        return names;
    }
    std::string fileBytes(const std::string& gbkName) {
        QFile file(m_dir.path() + u'/' + QString::fromStdString(text::localToUtf8(gbkName)));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return file.readAll().toStdString();
    }

    QTemporaryDir m_dir;
    harvest::RunState m_state;
    testing::FakeDialogs m_dialogs;
    testing::FakeEventPump m_pump;
    MainWindow m_main{m_state, m_dialogs, m_pump, QFile::encodeName(m_dir.path()).toStdString()};
    std::vector<std::string> m_journal;
    std::array<std::unique_ptr<ScriptedSlot>, 6> m_slots;
};

const char kHeader[] = "编号\t来源\t关键词\t收录\t违禁\r\n";

TEST_F(MainWindowTest, OpensWithEveryControlInPlace) {
    QWidget* window = m_main.window().widget();
    EXPECT_EQ(title(), " Sowmere");
    EXPECT_EQ(window->size(), QSize(608, 514));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_TRUE(m_main.window().isOpen());
    EXPECT_EQ(m_state.stopRequested, 1);
    EXPECT_EQ(m_state.rowSerial, 0);

    struct Control {
        const char* name;
        QRect geometry;
        const char* text;
    };
    const Control controls[] = {
        {"keywordBox", {16, 24, 160, 200}, ""},
        {"countLabel", {24, 224, 64, 24}, "数量："},
        {"progressLabel", {96, 224, 64, 24}, "运行："},
        {"failureLink", {16, 248, 160, 20}, ""},
        {"baiduBox", {24, 312, 60, 24}, "  百度"},
        {"googleBox", {104, 312, 72, 24}, "  Google"},
        {"haosouBox", {24, 344, 60, 24}, "  好搜"},
        {"sogouBox", {104, 344, 72, 24}, "  搜狗"},
        {"youdaoBox", {24, 376, 60, 24}, "  有道"},
        {"bingBox", {104, 376, 72, 24}, "  必应"},
        {"超级链接框1", {16, 440, 160, 20}, ""},
        {"delayBox", {312, 424, 48, 20}, "1000"},
        {"longTailBox", {224, 456, 88, 24}, "只选长尾词"},
        {"startButton", {312, 456, 80, 24}, "开始挖掘"},
        {"stopButton", {408, 456, 80, 24}, "停止挖掘"},
        {"exportButton", {504, 456, 80, 24}, "导出数据"},
        {"resultTable", {200, 16, 400, 400}, ""},
        {"标签8", {8, 488, 592, 24}, ""},
    };
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        QWidget* w = find(c.name);
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(w->geometry(), c.geometry);
        QString shown;
        if (auto* l = qobject_cast<QLabel*>(w)) shown = l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) shown = b->text();
        if (auto* e = qobject_cast<QLineEdit*>(w)) shown = e->text();
        if (auto* e = qobject_cast<QPlainTextEdit*>(w)) shown = e->toPlainText();
        EXPECT_EQ(shown, QString::fromUtf8(c.text));
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && b->isCheckable()) {
            EXPECT_EQ(b->isChecked(), std::string(c.name) == "baiduBox");
        }
    }
    EXPECT_EQ(find<QLineEdit>("delayBox")->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);

    // Captions without a role of their own, and the three frames.
    const std::pair<const char*, QRect> prompts[] = {
        {"请输入关键词：", {16, 0, 88, 24}},
        {"来源：", {16, 288, 88, 24}},
        {"延迟：", {264, 424, 40, 20}},
        {"量多时可设置延迟抵抗搜索引擎的防御机制", {368, 424, 232, 20}},
    };
    for (const auto& [caption, geometry] : prompts) {
        int matches = 0;
        for (QLabel* l : window->findChildren<QLabel*>()) {
            if (l->text() == QString::fromUtf8(caption) && l->geometry() == geometry) ++matches;
        }
        EXPECT_EQ(matches, 1) << caption;
    }
    QList<QRect> frames;
    for (QFrame* f : window->findChildren<QFrame*>()) {
        if (f->metaObject() == &QFrame::staticMetaObject) frames.push_back(f->geometry());
    }
    std::sort(frames.begin(), frames.end(), [](QRect a, QRect b) { return a.y() < b.y(); });
    EXPECT_EQ(frames, (QList<QRect>{{8, 16, 176, 264}, {8, 304, 176, 104}, {8, 432, 176, 35}}));

    auto* table = find<QTableView>("resultTable");
    const int widths[] = {45, 100, 120, 80, 50};
    const char* titles[] = {" 编号", "来源", "关键词", "收录", "违禁"};
    ASSERT_EQ(table->model()->columnCount(), 5);
    for (int c = 0; c < 5; ++c) {
        EXPECT_EQ(table->columnWidth(c), widths[c]);
        EXPECT_EQ(table->model()->headerData(c, Qt::Horizontal).toString(),
                  QString::fromUtf8(titles[c]));
        EXPECT_EQ(table->model()->headerData(c, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                      Qt::AlignHorizontal_Mask,
                  c == 0 ? Qt::AlignLeft : Qt::AlignHCenter);
    }
    EXPECT_EQ(m_main.resultTable().rowCount(), 0);

    // The shell's parts: the announcement and the contact link.
    int contacted = 0;
    m_main.setAnnouncement(gbk(u8"公告"));
    m_main.setContactLink(gbk(u8"联系我们"), [&] { ++contacted; });
    EXPECT_EQ(label("标签8"), QString::fromUtf8("公告"));
    EXPECT_EQ(label("超级链接框1"), QString::fromUtf8("联系我们"));
    QTest::mouseClick(find("超级链接框1"), Qt::LeftButton);
    EXPECT_EQ(contacted, 1);
}

TEST_F(MainWindowTest, CountsKeywordLinesAndMinesEachOne) {
    struct Case {
        const char* typed;
        const char* count;
        std::vector<std::string> mined;
    };
    const Case cases[] = {
        {"a\nb", "数量：2", {"baidu:a@运行：1", "baidu:b@运行：2"}},
        {"a\nb\n", "数量：2", {"baidu:a@运行：1", "baidu:b@运行：2"}},
        {"a\n\nb", "数量：3", {"baidu:a@运行：1", "baidu:@运行：2", "baidu:b@运行：3"}},
        {"", "数量：0", {}},
    };
    EXPECT_EQ(label("countLabel"), QString::fromUtf8("数量："));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        setKeywords("x");
        setKeywords(c.typed);
        EXPECT_EQ(label("countLabel"), QString::fromUtf8(c.count));
        m_journal.clear();
        press("startButton");
        EXPECT_EQ(m_journal, c.mined);
    }
    // The empty box still ends like every run.
    EXPECT_EQ(label("failureLink"), QString::fromUtf8("失败：0"));
    EXPECT_EQ(title(), " Sowmere     挖掘完毕~~~");
    EXPECT_EQ(utf8Messages().back(), "   挖掘完毕");
}

TEST_F(MainWindowTest, RunsTickedSourcesInOrderThenWaitsAfterEveryLine) {
    tick("bingBox", true);
    tick("googleBox", true);
    setKeywords("手机\nb");
    std::vector<std::string> titles;
    m_pump.onEveryCall = [&](const testing::FakeEventPump::Call&) {
        if (titles.empty() || titles.back() != title()) titles.push_back(title());
    };
    m_dialogs.onMessage = [&](const auto&) { titles.push_back(title()); };

    press("startButton");

    EXPECT_EQ(m_journal, (std::vector<std::string>{"baidu:手机@运行：1", "google:手机@运行：1",
                                                   "bing:手机@运行：1", "baidu:b@运行：2",
                                                   "google:b@运行：2", "bing:b@运行：2"}));
    // Per line: events, events after each of the six engineSlots, the delay; then the three closing
    // rounds of events.
    std::string kinds;
    for (const auto& call : m_pump.calls) kinds += call.isDelay ? 'D' : 'E';
    EXPECT_EQ(kinds,
              "EEEEEEED"
              "EEEEEEED"
              "EEE");
    EXPECT_EQ(m_pump.delays(), (std::vector<int>{1000, 1000}));
    EXPECT_EQ(titles,
              (std::vector<std::string>{" Sowmere     开始挖掘~~~", " Sowmere     挖掘完毕~~~",
                                        " Sowmere     挖掘完毕~~~"}));
    EXPECT_EQ(m_dialogs.boxes.size(), 1u);
    EXPECT_EQ(m_dialogs.boxes[0].buttons, ui::Buttons::Ok);
    EXPECT_EQ(utf8Messages(), std::vector<std::string>{"   挖掘完毕"});
    EXPECT_EQ(label("progressLabel"), QString::fromUtf8("运行：2"));
    EXPECT_EQ(m_state.stopRequested, 0);
}

TEST_F(MainWindowTest, ReadsSourcesAtEachSlotAndTheDelayBoxAtEachWait) {
    setKeywords("a\nb");
    tick("baiduBox", false);
    tick("sogouBox", true);
    slot(3).rows = 1;
    // Ticked during Sogou's harvest of line 1: Bing, later in the order, already runs for it.
    slot(3).afterRow = [&](int) {
        tick("bingBox", true);
        tick("sogouBox", false);
        setDelay("１５00.9");  // full-width digits read as ASCII
        find<QAbstractButton>("longTailBox")->setChecked(true);
    };
    press("startButton");
    EXPECT_EQ(m_journal,
              (std::vector<std::string>{"sogou:a@运行：1", "bing:a@运行：1", "bing:b@运行：2"}));
    EXPECT_EQ(m_pump.delays(), (std::vector<int>{1500, 1500}));
    EXPECT_TRUE(m_main.harvestHost().longTailTicked());

    const std::pair<const char*, int> delays[] = {{"abc", 0}, {"", 0}, {"-5", -5}, {"1000", 1000}};
    for (const auto& [box, ms] : delays) {
        setDelay(box);
        EXPECT_EQ(m_main.harvestHost().readDelayBox(), ms) << box;
        press("startButton");
        EXPECT_EQ(m_pump.delays().back(), ms) << box;
    }
}

TEST_F(MainWindowTest, StopDuringTheDelayAfterLineTwoEndsTheRunAfterThatWait) {
    setKeywords("1\n2\n3\n4\n5");
    std::vector<std::string> titlesAtBoxes;
    m_dialogs.onMessage = [&](const auto&) { titlesAtBoxes.push_back(title()); };
    m_pump.atDelay(2, [&] { press("stopButton"); });

    press("startButton");

    EXPECT_EQ(m_journal, (std::vector<std::string>{"baidu:1@运行：1", "baidu:2@运行：2"}));
    EXPECT_EQ(m_pump.delays(), (std::vector<int>{1000, 1000}));
    EXPECT_EQ(m_pump.nowMs, 2000);
    EXPECT_EQ(label("progressLabel"), QString::fromUtf8("运行：2"));
    EXPECT_EQ(utf8Messages(), (std::vector<std::string>{"   停止挖掘", "   挖掘完毕"}));
    EXPECT_EQ(titlesAtBoxes,
              (std::vector<std::string>{" Sowmere     停止挖掘~~~", " Sowmere     挖掘完毕~~~"}));
    EXPECT_EQ(m_state.stopRequested, 1);

    // The flag is cleared by the next run; a stop without a run only says so.
    press("stopButton");
    EXPECT_EQ(utf8Messages().back(), "   停止挖掘");
    m_journal.clear();
    press("startButton");
    EXPECT_EQ(m_journal.size(), 5u);
}

TEST_F(MainWindowTest, StopDuringASlotLetsTheLaterSourcesOfThatLineFinish) {
    setKeywords("a\nb");
    tick("haosouBox", true);
    slot(0).rows = 3;
    slot(0).stopTestPerRow = true;
    slot(0).afterRow = [&](int k) {
        if (k == 1) press("stopButton");
    };
    slot(2).rows = 2;

    press("startButton");

    EXPECT_EQ(m_journal, (std::vector<std::string>{"baidu:a@运行：1", "haosou:a@运行：1"}));
    ASSERT_EQ(m_main.resultTable().rowCount(), 3);
    EXPECT_EQ(cell(0, 1), "baidua");
    EXPECT_EQ(cell(1, 1), "haosoua");
    EXPECT_EQ(cell(2, 0), "3");
    EXPECT_EQ(cell(2, 2), "a2");
    EXPECT_EQ(m_pump.delays().size(), 1u);
    EXPECT_EQ(utf8Messages(), (std::vector<std::string>{"   停止挖掘", "   挖掘完毕"}));
}

TEST_F(MainWindowTest, SecondStartRunsNestedAndTheFirstRunResumes) {
    setKeywords("a\nb");
    slot(0).fails = true;
    std::vector<std::string> linksAtBoxes;
    m_dialogs.onMessage = [&](const auto&) {
        linksAtBoxes.push_back(label("failureLink").toStdString());
    };
    m_pump.atDelay(1, [&] {
        setKeywords("x");
        press("startButton");
    });

    press("startButton");

    EXPECT_EQ(m_journal,
              (std::vector<std::string>{"baidu:a@运行：1", "baidu:x@运行：1", "baidu:b@运行：2"}));
    EXPECT_EQ(utf8Messages(), (std::vector<std::string>{"   挖掘完毕", "   挖掘完毕"}));
    // The nested run emptied the log at its start; the first run counts what followed.
    EXPECT_EQ(linksAtBoxes, (std::vector<std::string>{"失败：1", "失败：2"}));
    EXPECT_EQ(m_state.failureLog, "baidux\r\nbaidub\r\n");
}

TEST_F(MainWindowTest, SerialNumbersContinueAcrossRuns) {
    setKeywords("a");
    slot(0).rows = 7;
    press("startButton");
    press("startButton");
    ASSERT_EQ(m_main.resultTable().rowCount(), 14);
    EXPECT_EQ(cell(0, 0), "1");
    EXPECT_EQ(cell(6, 0), "7");
    EXPECT_EQ(cell(7, 0), "8");
    EXPECT_EQ(cell(13, 0), "14");
    EXPECT_EQ(cell(7, 4), gbk(u8"否"));
}

TEST_F(MainWindowTest, FailureCountAndWindowShowTheLoggedLookups) {
    setKeywords("a\n手机");
    press("startButton");
    EXPECT_EQ(label("failureLink"), QString::fromUtf8("失败：0"));

    slot(0).fails = true;
    m_pump = testing::FakeEventPump{};
    // Opened during the run: it shows the lines so far and is not refreshed afterwards.
    m_pump.atDelay(1, [&] { QTest::mouseClick(find("failureLink"), Qt::LeftButton); });
    std::vector<std::string> linksDuringRun;
    m_pump.onEveryCall = [&](const auto&) {
        linksDuringRun.push_back(label("failureLink").toStdString());
    };
    press("startButton");

    EXPECT_EQ(linksDuringRun.front(), "");  // emptied from the start of the run
    EXPECT_EQ(label("failureLink"), QString::fromUtf8("失败：2"));
    EXPECT_EQ(m_state.failureLines, (std::vector<std::string>{"baidua", gbk(u8"baidu手机")}));
    QWidget* failureWindow = m_main.failureWindow().widget();
    EXPECT_TRUE(failureWindow->isVisible());
    EXPECT_EQ(failureWindow->objectName(), QStringLiteral("failureWindow"));
    EXPECT_EQ(failureWindow->windowTitle(), QString::fromUtf8(" 失 败"));
    EXPECT_EQ(failureWindow->size(), QSize(191, 224));
    EXPECT_EQ(failureBox()->geometry(), QRect(8, 0, 176, 224));
    EXPECT_EQ(failureBox()->toPlainText(), QStringLiteral("baidua\n"));

    // Pressed again while open: the window comes forward with the log of now.
    QTest::mouseClick(find("failureLink"), Qt::LeftButton);
    EXPECT_EQ(failureBox()->toPlainText(), QString::fromUtf8("baidua\nbaidu手机\n"));
    EXPECT_EQ(failureBox()->document()->blockCount(), 3);
}

TEST(ExportNameTest, LocalTimeWithoutLeadingZeros) {
    std::tm t{};
    t.tm_year = 115;
    t.tm_mon = 4;
    t.tm_mday = 12;
    t.tm_hour = 9;
    t.tm_min = 5;
    t.tm_sec = 7;
    EXPECT_EQ(exportFileName(t), gbk(u8"2015年5月12日9;5;7"));
    t = {};
    t.tm_year = 130;
    t.tm_mon = 11;
    t.tm_mday = 31;
    t.tm_hour = 23;
    t.tm_min = 59;
    t.tm_sec = 0;
    EXPECT_EQ(exportFileName(t), gbk(u8"2030年12月31日23;59;0"));
}

TEST_F(MainWindowTest, ExportOfAnEmptyTableWritesTheHeaderAndSaysWhere) {
    press("exportButton");
    const auto names = exportedNames();
    ASSERT_EQ(names.size(), 1u);
    EXPECT_EQ(fileBytes(names[0]), gbk(kHeader));
    EXPECT_EQ(m_dialogs.texts(),
              std::vector<std::string>{gbk(u8"挖掘结果已保存至软件目录 /") + names[0]});
    EXPECT_EQ(names[0].substr(names[0].size() - 4), ".txt");
}

TEST_F(MainWindowTest, ExportDuringARunWritesTheRowsOfThatMoment) {
    setKeywords("a");
    slot(0).rows = 2;
    std::vector<std::string> contents;
    // Events run after columns 0 to 2 of row 2 are set: an export then sees 3 and 4 empty.
    m_pump.atCall(3, [&] {
        press("exportButton");
        contents.push_back(fileBytes(exportedNames().at(0)));
    });
    press("startButton");
    ASSERT_EQ(contents.size(), 1u);
    EXPECT_EQ(contents[0], gbk(std::string(kHeader) + "1\tbaidua\ta1\t100\t否\t\r\n" +
                               "2\tbaidua\ta2\t\t\t\r\n"));
    EXPECT_EQ(utf8Messages().back(), "   挖掘完毕");
}

TEST_F(MainWindowTest, ExportKeepsEveryRowOneLineAndReplacesAFileOfTheSameName) {
    harvest::HarvestHost& host = m_main.harvestHost();
    host.appendRow();
    host.setCell(0, 0, "1");
    host.setCell(0, 1, gbk(u8"百度相关：手机"));
    host.setCell(0, 2, "tab\there\r\nnew\nline\r");
    host.setCell(0, 3, gbk(u8"查询失败"));
    host.setCell(0, 4, gbk(u8"否"));
    std::tm t{};
    t.tm_year = 115;
    t.tm_mon = 4;
    t.tm_mday = 12;
    const std::string directory = QFile::encodeName(m_dir.path()).toStdString();
    QFile older(m_dir.path() + QString::fromUtf8("/2015年5月12日0;0;0.txt"));
    ASSERT_TRUE(older.open(QIODevice::WriteOnly));
    older.write(QByteArray(100000, 'x'));
    older.close();

    const ExportOutcome outcome = exportResults(m_main.resultTable(), directory, t);

    EXPECT_TRUE(outcome.written);
    EXPECT_EQ(outcome.message, gbk(u8"挖掘结果已保存至软件目录 /2015年5月12日0;0;0.txt"));
    EXPECT_EQ(exportedNames(), std::vector<std::string>{gbk(u8"2015年5月12日0;0;0.txt")});
    EXPECT_EQ(
        fileBytes(gbk(u8"2015年5月12日0;0;0.txt")),
        gbk(std::string(kHeader) + "1\t百度相关：手机\ttab here  new line \t查询失败\t否\t\r\n"));
}

TEST_F(MainWindowTest, ExportThatCannotBeWrittenSaysSoInsteadOfSuccess) {
    MainWindow elsewhere(m_state, m_dialogs, m_pump, "/nonexistent-sowmere-directory");
    elsewhere.window()
        .widget()
        ->findChild<QAbstractButton*>(QStringLiteral("exportButton"))
        ->click();
    ASSERT_EQ(m_dialogs.boxes.size(), 1u);
    const std::string message = text::localToUtf8(m_dialogs.boxes[0].text);
    EXPECT_EQ(message.rfind("   导出失败：无法写入软件目录 /", 0), 0u) << message;
    EXPECT_NE(message.find(".txt"), std::string::npos);
    EXPECT_NE(message.find(std::strerror(ENOENT)), std::string::npos) << message;
    EXPECT_EQ(message.find("已保存"), std::string::npos);
}

TEST_F(MainWindowTest, ClosingDuringARunAsksAndQuittingUnwindsAtOnce) {
    setKeywords("a\nb\nc");
    QTest::mouseClick(find("failureLink"), Qt::LeftButton);
    ASSERT_TRUE(m_main.failureWindow().isOpen());
    // A nested run is in its own delay when the window is closed: both runs unwind.
    m_pump.atDelay(1, [&] {
        setKeywords("x\ny");
        press("startButton");
    });
    m_pump.atDelay(2, [&] { m_main.window().widget()->close(); });

    press("startButton");

    ASSERT_EQ(m_dialogs.boxes.size(), 1u);
    EXPECT_EQ(m_dialogs.boxes[0].buttons, ui::Buttons::OkCancel);
    EXPECT_EQ(text::localToUtf8(m_dialogs.boxes[0].text),
              "   正在挖掘，确定要停止挖掘并退出软件吗？");
    EXPECT_EQ(m_journal, (std::vector<std::string>{"baidu:a@运行：1", "baidu:x@运行：1"}));
    EXPECT_EQ(m_pump.delays().size(), 2u);
    EXPECT_EQ(m_pump.cancelCount, 1);
    EXPECT_FALSE(m_main.window().isOpen());
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_main.failureWindow().isOpen());  // no window of the program is left

    // Nothing more happens in the closing window.
    const std::size_t calls = m_pump.calls.size();
    press("startButton");
    press("exportButton");
    press("stopButton");
    EXPECT_EQ(m_pump.calls.size(), calls);
    EXPECT_EQ(m_dialogs.boxes.size(), 1u);
    EXPECT_TRUE(exportedNames().empty());
}

TEST_F(MainWindowTest, ClosingDuringARunCanBeCancelledAndClosingWhenIdleDoesNotAsk) {
    setKeywords("a\nb");
    m_dialogs.answers = {false};
    m_pump.atDelay(1, [&] { m_main.window().widget()->close(); });
    press("startButton");
    EXPECT_TRUE(m_main.window().isOpen());
    EXPECT_EQ(m_journal.size(), 2u);
    EXPECT_EQ(utf8Messages().back(), "   挖掘完毕");
    EXPECT_EQ(m_pump.cancelCount, 0);

    m_main.window().widget()->close();
    EXPECT_FALSE(m_main.window().isOpen());
    EXPECT_EQ(m_dialogs.boxes.size(), 2u);
}

}  // namespace
}  // namespace sowmere::mining

namespace sowmere::mining {
namespace {

// The same page for every address: a Baidu result page for "ipad" whose related block holds six
// suggestions, three of them containing the keyword. It lacks the result-count probe.
class OnePageSource final : public net::PageSource {
public:
    text::Text fetchText(std::string_view) override { return {}; }
    text::Text fetchPage(std::string_view url) override {
        fetched.emplace_back(url);
        return text::utf8ToLocal(
            "<html><head><title>ipad_百度搜索</title></head><body><div id=\"rs\"><div "
            "class=\"tt\">相关搜索</div><table><tr><th><a href=\"/s?wd=1\">ipad壳</a></th>"
            "<th><a href=\"/s?wd=2\">二手ipad价格</a></th><th><a href=\"/s?wd=3\">苹果ipad</a>"
            "</th><th><a href=\"/s?wd=4\">IPAD贴膜</a></th><th><a href=\"/s?wd=5\">ipa教程</a>"
            "</th><th><a href=\"/s?wd=6\">平板电脑</a></th></tr></table></body></html>");
    }
    std::vector<std::string> fetched;
};

class EnginesInWindowTest : public ::testing::Test, private ApplicationFirst {
protected:
    EnginesInWindowTest() {
        for (std::size_t i = 0; i < m_owned.size(); ++i) m_slots[i] = m_owned[i].get();
        m_main.setEngineSlots(m_slots);
        m_main.open();
        auto* w = m_main.window().widget();
        w->findChild<QPlainTextEdit*>(QStringLiteral("keywordBox"))
            ->setPlainText(QStringLiteral("ipad\nipad"));
        w->findChild<QAbstractButton*>(QStringLiteral("longTailBox"))->setChecked(true);
    }
    void start() {
        m_main.window()
            .widget()
            ->findChild<QAbstractButton*>(QStringLiteral("startButton"))
            ->click();
    }

    harvest::RunState m_state;
    testing::FakeDialogs m_dialogs;
    testing::FakeEventPump m_pump;
    OnePageSource m_pages;
    MainWindow m_main{m_state, m_dialogs, m_pump, "/nonexistent"};
    std::array<std::unique_ptr<harvest::EngineSlot>, 6> m_owned =
        harvest::makeEngineSlots(m_pages, m_state, m_main.harvestHost());
    std::array<harvest::EngineSlot*, 6> m_slots{};
};

TEST_F(EnginesInWindowTest, BaiduRowsLandInTheTableThroughTheWindow) {
    start();
    const ResultTable& table = m_main.resultTable();
    ASSERT_EQ(table.rowCount(), 6);
    EXPECT_EQ(table.cellText(0, 0), "1");
    EXPECT_EQ(table.cellText(0, 1), gbk(u8"百度相关：ipad"));
    EXPECT_EQ(table.cellText(0, 2), gbk(u8"ipad壳"));
    EXPECT_EQ(table.cellText(2, 3), gbk(u8"查询失败"));
    EXPECT_EQ(table.cellText(2, 4), gbk(u8"否"));
    EXPECT_EQ(table.cellText(5, 0), "6");
    EXPECT_EQ(m_pages.fetched.size(), 8u);  // per line: the seed page and three suggestions
    EXPECT_EQ(m_dialogs.texts().back(), gbk(u8"   挖掘完毕"));
}

TEST_F(EnginesInWindowTest, QuittingInsideAHarvestStopsItAtOnce) {
    // Inside the harvester's events after its second row's first cells.
    m_pump.onEveryCall = [&](const auto&) {
        if (m_main.resultTable().rowCount() == 2 && m_main.window().isOpen()) {
            m_main.window().widget()->close();
        }
    };
    start();
    EXPECT_EQ(m_main.resultTable().rowCount(), 2);
    EXPECT_EQ(m_pages.fetched.size(), 2u);  // the seed page and the first suggestion
    EXPECT_EQ(m_dialogs.boxes.size(), 1u);  // only the question
    EXPECT_FALSE(m_main.window().isOpen());
}

}  // namespace
}  // namespace sowmere::mining
