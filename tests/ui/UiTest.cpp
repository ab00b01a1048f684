#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QTableView>
#include <QTest>
#include <QTimer>

#include "support/Fakes.h"
#include "support/Gbk.h"
#include "ui/Dialogs.h"
#include "ui/EventPump.h"
#include "ui/Widgets.h"

namespace sowmere::ui {
namespace {

using testing::gbk;

struct ApplicationFirst {
    ApplicationFirst() { testing::ensureApplication(); }
};

class UiTest : public ::testing::Test, private ApplicationFirst {
protected:
    template <typename T>
    T* find(const char* name) {
        return m_window.widget()->findChild<T*>(QString::fromUtf8(name));
    }

    Window m_window{gbk(u8" 窗口"), 614, 540, "testWindow"};
};

TEST_F(UiTest, WindowHasFixedClientAreaAndGbkTitle) {
    EXPECT_EQ(m_window.widget()->size(), QSize(608, 514));
    EXPECT_EQ(m_window.widget()->minimumSize(), m_window.widget()->maximumSize());
    EXPECT_EQ(m_window.widget()->windowTitle(), QString::fromUtf8(u8" 窗口"));
    m_window.setTitle(gbk(u8" Sowmere     开始挖掘~~~"));
    EXPECT_EQ(m_window.title(), gbk(u8" Sowmere     开始挖掘~~~"));
    EXPECT_EQ(m_window.widget()->parent(), nullptr);
}

TEST_F(UiTest, RequestedCloseWaitsForEventsAndSkipsTheCloseFilter) {
    int filterAsked = 0;
    int closed = 0;
    m_window.setCloseFilter([&] {
        ++filterAsked;
        return false;
    });
    m_window.onClosed([&] { ++closed; });
    m_window.show();
    ASSERT_TRUE(m_window.isOpen());

    // The user's close is refused by the filter.
    m_window.widget()->close();
    EXPECT_EQ(filterAsked, 1);
    EXPECT_TRUE(m_window.isOpen());
    EXPECT_EQ(closed, 0);

    m_window.requestClose();
    EXPECT_TRUE(m_window.isOpen());  // deferred until events run
    QCoreApplication::processEvents();
    EXPECT_FALSE(m_window.isOpen());
    EXPECT_EQ(filterAsked, 1);
    EXPECT_EQ(closed, 1);
}

TEST_F(UiTest, EventLoopEndsOnceNoWindowIsOpen) {
    Window second(gbk(u8" 失 败"), 197, 250, "second");
    m_window.show();
    second.show();
    bool timedOut = false;
    QTimer::singleShot(0, m_window.widget(), [&] { m_window.requestClose(); });
    QTimer::singleShot(20, second.widget(), [&] { second.requestClose(); });
    QTimer safety;  // ends a loop that would otherwise run forever
    safety.setSingleShot(true);
    QObject::connect(&safety, &QTimer::timeout, &safety, [&] {
        timedOut = true;
        QCoreApplication::quit();
    });
    safety.start(10000);
    QApplication::exec();
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(second.isOpen());
}

TEST_F(UiTest, MultiLineBoxHoldsCrLfLinesHoweverEntered) {
    EditBox box(m_window, {16, 24, 160, 200}, EditKind::MultiLineScrolling, {}, "box");
    auto* edit = find<QPlainTextEdit>("box");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    int changes = 0;
    box.onTextChanged([&] { ++changes; });

    const std::string lines = gbk(u8"百度\r\n\r\nb\r\n");
    box.setText(lines);
    EXPECT_EQ(edit->document()->blockCount(), 4);  // shown as lines, not as CR characters
    EXPECT_EQ(box.text(), lines);
    EXPECT_GT(changes, 0);

    box.setText({});
    m_window.show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("ab"));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClicks(edit, QStringLiteral("c"));
    EXPECT_EQ(box.text(), "ab\r\nc");

    // Pasted lines with bare LF or CR ends read back with CR LF as well.
    box.setText({});
    QApplication::clipboard()->setText(QStringLiteral("x\ny\rz\r\n"));
    edit->paste();
    EXPECT_EQ(box.text(), "x\r\ny\r\nz\r\n");
}

TEST_F(UiTest, DigitsAndMinusFilterStopsTypingButNotPasting) {
    EditBox box(m_window, {312, 424, 48, 20}, EditKind::SingleLineCentred, "1000", "delay");
    box.setDigitsAndMinusFilter();
    auto* edit = find<QLineEdit>("delay");
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(edit->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
    EXPECT_EQ(box.text(), "1000");

    box.setText({});
    m_window.show();
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("1a2 .-3x"));
    EXPECT_EQ(box.text(), "12-3");
    QTest::keyClick(edit, Qt::Key_Backspace);  // editing keys still work
    EXPECT_EQ(box.text(), "12-");

    box.setText({});
    QApplication::clipboard()->setText(QStringLiteral("1500.9abc"));
    QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(box.text(), "1500.9abc");
}

TEST_F(UiTest, LabelsChecksAndLinksCarryGbkTexts) {
    Label label(m_window, {16, 0, 88, 24}, gbk(u8"请输入关键词："), "label");
    CheckBox check(m_window, {24, 312, 60, 24}, gbk(u8"  百度"), true, "check");
    LinkLabel link(m_window, {16, 248, 160, 20}, {}, "link");
    int pressed = 0;
    link.onPressed([&] { ++pressed; });

    EXPECT_EQ(label.text(), gbk(u8"请输入关键词："));
    EXPECT_EQ(find<QLabel>("label")->geometry(), QRect(16, 0, 88, 24));
    EXPECT_EQ(find<QAbstractButton>("check")->text(), QString::fromUtf8(u8"  百度"));
    EXPECT_TRUE(check.isTicked());
    find<QAbstractButton>("check")->click();
    EXPECT_FALSE(check.isTicked());

    link.setText(gbk(u8"失败：2"));
    EXPECT_EQ(link.text(), gbk(u8"失败：2"));
    m_window.show();
    QTest::mouseClick(find<QLabel>("link"), Qt::RightButton);
    EXPECT_EQ(pressed, 0);
    QTest::mouseClick(find<QLabel>("link"), Qt::LeftButton);
    EXPECT_EQ(pressed, 1);
}

TEST_F(UiTest, ButtonHandlerExceptionStopsAtTheLayer) {
    Button button(m_window, {0, 0, 80, 24}, gbk(u8"开始挖掘"), "button");
    int pressed = 0;
    button.onPressed([&] {
        ++pressed;
        throw std::runtime_error("handler fault");
    });
    find<QAbstractButton>("button")->click();
    EXPECT_EQ(pressed, 1);
}

TEST_F(UiTest, ReportListLooksLikeAReportViewAndHoldsGbkCells) {
    ReportList list(m_window, {200, 16, 400, 400},
                    {{gbk(u8" 编号"), 45, Align::Left}, {gbk(u8"来源"), 100, Align::Centre}},
                    "list");
    auto* view = find<QTableView>("list");
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->geometry(), QRect(200, 16, 400, 400));
    EXPECT_FALSE(view->showGrid());
    EXPECT_EQ(view->selectionMode(), QAbstractItemView::SingleSelection);
    EXPECT_EQ(view->selectionBehavior(), QAbstractItemView::SelectItems);
    EXPECT_FALSE(view->horizontalHeader()->sectionsClickable());
    EXPECT_FALSE(view->isSortingEnabled());
    EXPECT_FALSE(view->verticalHeader()->isVisible());
    EXPECT_EQ(view->columnWidth(0), 45);
    EXPECT_EQ(view->columnWidth(1), 100);
    QAbstractItemModel* model = view->model();
    EXPECT_EQ(model->headerData(0, Qt::Horizontal).toString(), QString::fromUtf8(u8" 编号"));
    EXPECT_EQ(model->headerData(1, Qt::Horizontal, Qt::TextAlignmentRole).toInt() &
                  Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);

    EXPECT_EQ(list.rowCount(), 0);
    EXPECT_EQ(list.columnCount(), 2);
    list.appendRow();
    list.appendRow();
    list.setCell(1, 1, gbk(u8"百度相关：手机"));
    EXPECT_EQ(list.rowCount(), 2);
    EXPECT_EQ(list.cellText(1, 1), gbk(u8"百度相关：手机"));
    EXPECT_EQ(list.cellText(1, 0), "");
    EXPECT_EQ(model->data(model->index(1, 1)).toString(), QString::fromUtf8(u8"百度相关：手机"));
    EXPECT_EQ(
        model->data(model->index(1, 0), Qt::TextAlignmentRole).toInt() & Qt::AlignHorizontal_Mask,
        Qt::AlignLeft);

    // Out of range: nothing is written, nothing is read.
    list.setCell(2, 0, "x");
    list.setCell(0, 2, "x");
    list.setCell(-1, 0, "x");
    EXPECT_EQ(list.cellText(2, 0), "");
    EXPECT_EQ(list.cellText(0, -1), "");
    EXPECT_EQ(list.rowCount(), 2);
}

TEST(EventPumpTest, DelayWaitsItsFullTimeWhileEventsRunAndZeroDoesNotWait) {
    testing::ensureApplication();
    ToolkitEventPump pump;
    int posted = 0;
    QObject context;

    QMetaObject::invokeMethod(
        &context, [&] { ++posted; }, Qt::QueuedConnection);
    pump.delayWithEvents(0);
    pump.delayWithEvents(-5);
    EXPECT_EQ(posted, 0);  // no events ran

    QElapsedTimer clock;
    clock.start();
    pump.delayWithEvents(40);
    EXPECT_GE(clock.elapsed(), 40);
    EXPECT_EQ(posted, 1);

    // Only a quit ends a wait early.
    QTimer::singleShot(10, &context, [&] { pump.cancelDelays(); });
    clock.restart();
    pump.delayWithEvents(20000);
    EXPECT_LT(clock.elapsed(), 5000);

    QMetaObject::invokeMethod(
        &context, [&] { ++posted; }, Qt::QueuedConnection);
    pump.processPendingEvents();
    EXPECT_EQ(posted, 2);
}

TEST(DialogsTest, MessageBoxHasTheProgramTitleNoOwnerAndBlocksEveryWindow) {
    testing::ensureApplication();
    struct Seen {
        QString title, text;
        bool hasParent = true;
        Qt::WindowModality modality = Qt::NonModal;
        QMessageBox::StandardButtons buttons;
    };
    ToolkitDialogs dialogs;
    auto answer = [](Seen& seen, QMessageBox::StandardButton press) {
        QTimer::singleShot(0, qApp, [&seen, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box == nullptr) return;
            seen = {box->windowTitle(), box->text(), box->parentWidget() != nullptr,
                    box->windowModality(), box->standardButtons()};
            box->button(press)->click();
        });
    };

    Seen ok;
    answer(ok, QMessageBox::Ok);
    EXPECT_TRUE(dialogs.message(gbk(u8"   挖掘完毕")));
    EXPECT_EQ(ok.title, QString::fromUtf8(u8"提示："));
    EXPECT_EQ(ok.text, QString::fromUtf8(u8"   挖掘完毕"));
    EXPECT_FALSE(ok.hasParent);
    EXPECT_EQ(ok.modality, Qt::ApplicationModal);
    EXPECT_EQ(ok.buttons, QMessageBox::Ok);

    Seen cancel;
    answer(cancel, QMessageBox::Cancel);
    EXPECT_FALSE(dialogs.message(gbk(u8"退出？"), Buttons::OkCancel));
    EXPECT_EQ(cancel.buttons, QMessageBox::Ok | QMessageBox::Cancel);
}

}  // namespace
}  // namespace sowmere::ui
