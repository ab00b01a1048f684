#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "harvest/HarvestHost.h"
#include "harvest/RunState.h"
#include "mining/FailureWindow.h"
#include "mining/ResultTable.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace sowmere::mining {

// The window where keywords are mined: the keyword box, the sources, the delay, the start, stop
// and export buttons, the result table and the failure count. The mining run lives here and
// serves as the host of the engines' harvesters.
class MainWindow final : private harvest::HarvestHost {
public:
    MainWindow(harvest::RunState& state, ui::Dialogs& dialogs, ui::EventPump& pump,
               std::string programDirectory);
    ~MainWindow() override;

    harvest::HarvestHost& harvestHost() { return *this; }
    // Baidu, Google, Haosou, Sogou, Youdao, Bing; a null slot harvests nothing.
    void setEngineSlots(std::array<harvest::EngineSlot*, 6> engineSlots) { m_slots = engineSlots; }
    // Shows the window and starts the run-wide state afresh: stop requested, no rows numbered
    // yet, no failure count shown.
    void open();
    void setAnnouncement(std::string_view gbk);
    void setContactLink(std::string_view gbkCaption, std::function<void()> onPressed);

    ui::Window& window() { return m_window; }
    ui::Window& failureWindow() { return m_failureWindow.window(); }
    const ResultTable& resultTable() const { return m_table; }

private:
    // HarvestHost
    bool longTailTicked() override;
    int readDelayBox() override;
    void processPendingEvents() override;
    void delayWithEvents(int ms) override;
    void appendRow() override;
    int rowCount() override;
    void setCell(int row, int column, std::string_view text) override;

    void startPressed();
    void run();
    void stopPressed();
    void exportPressed();
    void keywordsChanged();
    bool allowClose();

    harvest::RunState& m_state;
    ui::Dialogs& m_dialogs;
    ui::EventPump& m_pump;
    std::string m_programDirectory;
    std::array<harvest::EngineSlot*, 6> m_slots{};

    int m_runDepth = 0;       // runs in progress, nested ones included
    bool m_quitting = false;  // the user closed the window during a run and chose to quit

    ui::Window m_window;
    ui::Frame m_keywordFrame;
    ui::Frame m_sourceFrame;
    ui::Frame m_contactFrame;
    ui::Label m_keywordPrompt;
    ui::EditBox m_keywordBox;
    ui::Label m_countLabel;
    ui::Label m_progressLabel;
    ui::LinkLabel m_failureLink;
    ui::Label m_sourcePrompt;
    std::array<std::unique_ptr<ui::CheckBox>, 6> m_sourceBoxes;
    ui::LinkLabel m_contactLink;
    ui::Label m_delayPrompt;
    ui::EditBox m_delayBox;
    ui::Label m_delayHint;
    ui::CheckBox m_longTailBox;
    ui::Button m_startButton;
    ui::Button m_stopButton;
    ui::Button m_exportButton;
    ResultTable m_table;
    ui::Label m_announcement;
    FailureWindow m_failureWindow;
};

}  // namespace sowmere::mining
