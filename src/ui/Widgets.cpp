#include "ui/Widgets.h"

#include <QAbstractTableModel>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFile>
#include <QFont>
#include <QFrame>
#include <QHeaderView>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QWidget>
#include <deque>
#include <exception>

#include "ui/QtText.h"

namespace sowmere::ui {
namespace {

// The frame of a top-level window on the desktop the layout was drawn for: the client area is the
// outer size less this.
constexpr int kFrameWidth = 6;
constexpr int kFrameHeight = 26;

// Handlers are the program's own code; an exception must never travel through the toolkit's
// event dispatch, so one that escapes a handler ends here.
void callHandler(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& e) {
        qCritical("unhandled exception in an event handler: %s", e.what());
    } catch (...) {
        qCritical("unhandled exception in an event handler");
    }
}

void place(QWidget* widget, const Geometry& geometry, std::string_view objectName) {
    widget->setGeometry(geometry.x, geometry.y, geometry.width, geometry.height);
    if (!objectName.empty()) widget->setObjectName(nameToQt(objectName));
}

// "\r\n" held by the program is one line break in the toolkit; a lone CR or LF also breaks the
// line on screen, as it would when pasted.
QString linesToQt(std::string_view gbk) {
    QString string = toQt(gbk);
    string.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return string;
}

text::Text linesFromQt(QString string) {
    string.replace(QChar(u'\n'), QStringLiteral("\r\n"));
    return fromQt(string);
}

class TopLevelWidget final : public QWidget {
public:
    std::function<bool()> closeFilter;
    std::function<void()> closedHandler;
    bool closingByProgram = false;

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!closingByProgram && closeFilter) {
            bool allow = true;
            try {
                allow = closeFilter();
            } catch (...) {
                allow = true;
            }
            if (!allow) {
                event->ignore();
                return;
            }
        }
        closingByProgram = false;
        closing = true;
        event->accept();
        QWidget::closeEvent(event);
    }

    void hideEvent(QHideEvent* event) override {
        QWidget::hideEvent(event);
        if (closing) {
            closing = false;
            callHandler(closedHandler);
        }
    }

private:
    bool closing = false;
};

// Printable keys other than digits and "-" are swallowed; pasting goes through untouched.
class DigitsAndMinusFilter final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            const QString typed = key->text();
            if (!typed.isEmpty() && !(key->modifiers() & Qt::ControlModifier)) {
                for (const QChar c : typed) {
                    if (c.isPrint() && !(c >= u'0' && c <= u'9') && c != u'-') return true;
                }
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

class LinkWidget final : public QLabel {
public:
    using QLabel::QLabel;
    std::function<void()> pressedHandler;

protected:
    void mousePressEvent(QMouseEvent* event) override {
        if (event->button() == Qt::LeftButton) {
            callHandler(pressedHandler);
            return;
        }
        QLabel::mousePressEvent(event);
    }
};

// The rows of a report list: GBK texts, kept in chunks so that a million rows grow without
// moving the earlier ones; toolkit strings are made only for the cells being drawn.
class ReportModel final : public QAbstractTableModel {
public:
    explicit ReportModel(std::vector<Column> columns) : m_columns(std::move(columns)) {}

    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : m_rows;
    }
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : static_cast<int>(m_columns.size());
    }

    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid()) return {};
        if (role == Qt::DisplayRole) return toQt(cell(index.row(), index.column()));
        if (role == Qt::TextAlignmentRole) return alignment(index.column());
        return {};
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || section < 0 ||
            section >= static_cast<int>(m_columns.size())) {
            return {};
        }
        if (role == Qt::DisplayRole) return toQt(m_columns[section].gbkTitle);
        if (role == Qt::TextAlignmentRole) return alignment(section);
        return {};
    }

    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
    }

    void appendRow() {
        beginInsertRows({}, m_rows, m_rows);
        m_cells.resize(m_cells.size() + m_columns.size());
        ++m_rows;
        endInsertRows();
    }

    bool valid(int row, int column) const {
        return row >= 0 && row < m_rows && column >= 0 &&
               column < static_cast<int>(m_columns.size());
    }

    std::string_view cell(int row, int column) const {
        if (!valid(row, column)) return {};
        return m_cells[static_cast<std::size_t>(row) * m_columns.size() +
                       static_cast<std::size_t>(column)];
    }

    void setCell(int row, int column, std::string_view gbk) {
        if (!valid(row, column)) return;
        m_cells[static_cast<std::size_t>(row) * m_columns.size() + static_cast<std::size_t>(column)]
            .assign(gbk);
        const QModelIndex changed = index(row, column);
        emit dataChanged(changed, changed);  // no role list: nothing to allocate per write
    }

    const std::vector<Column>& columns() const { return m_columns; }

private:
    QVariant alignment(int column) const {
        const Qt::Alignment align = m_columns[column].align == Align::Centre
                                        ? Qt::AlignHCenter | Qt::AlignVCenter
                                        : Qt::AlignLeft | Qt::AlignVCenter;
        return QVariant(static_cast<int>(align));
    }

    std::vector<Column> m_columns;
    std::deque<text::Text> m_cells;  // row-major
    int m_rows = 0;
};

// The program's icon, drawn once: every top-level window carries it. Kept to the end of the
// process, so that it never outlives the toolkit's application in a static destructor.
const QIcon& programIcon() {
    static const QIcon* const icon = [] {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setBrush(QColor(0x1F, 0x5F, 0xA8));
        painter.setPen(Qt::NoPen);
        painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(22);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, QStringLiteral("S"));
        painter.end();
        return new QIcon(pixmap);
    }();
    return *icon;
}

}  // namespace

// ---------------------------------------------------------------------------------------------

struct Application::Impl {
    QApplication application;
    Impl(int& argc, char** argv) : application(argc, argv) {}
};

Application::Application(int& argc, char** argv) : m_impl(std::make_unique<Impl>(argc, argv)) {}
Application::~Application() = default;

int Application::exec() { return QApplication::exec(); }

std::string Application::programDirectory() {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

// ---------------------------------------------------------------------------------------------

struct Window::Impl {
    TopLevelWidget widget;
};

Window::Window(std::string_view gbkTitle, int outerWidth, int outerHeight,
               std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    QWidget& w = m_impl->widget;
    w.setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                     Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                     Qt::WindowCloseButtonHint);
    w.setWindowIcon(programIcon());
    w.setFixedSize(outerWidth - kFrameWidth, outerHeight - kFrameHeight);
    w.setWindowTitle(toQt(gbkTitle));
    if (!objectName.empty()) w.setObjectName(nameToQt(objectName));
}

Window::~Window() = default;

void Window::setTitle(std::string_view gbkTitle) { m_impl->widget.setWindowTitle(toQt(gbkTitle)); }
Text Window::title() const { return fromQt(m_impl->widget.windowTitle()); }

void Window::show() {
    m_impl->widget.show();
    m_impl->widget.raise();
    m_impl->widget.activateWindow();
}

void Window::requestClose() {
    TopLevelWidget* widget = &m_impl->widget;
    QMetaObject::invokeMethod(
        widget,
        [widget] {
            widget->closingByProgram = true;
            widget->close();
        },
        Qt::QueuedConnection);
}

bool Window::isOpen() const { return m_impl->widget.isVisible(); }

void Window::bringToFront() {
    QWidget& w = m_impl->widget;
    if (w.isMinimized()) w.showNormal();
    w.show();
    w.raise();
    w.activateWindow();
}

void Window::setCloseFilter(std::function<bool()> allowClose) {
    m_impl->widget.closeFilter = std::move(allowClose);
}

void Window::onClosed(std::function<void()> handler) {
    m_impl->widget.closedHandler = std::move(handler);
}

QWidget* Window::widget() const { return &m_impl->widget; }

// ---------------------------------------------------------------------------------------------

struct Label::Impl {
    QLabel* label;
};

Label::Label(Window& window, Geometry geometry, std::string_view gbkText,
             std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->label = new QLabel(window.widget());
    m_impl->label->setTextFormat(Qt::PlainText);
    m_impl->label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_impl->label->setText(toQt(gbkText));
    place(m_impl->label, geometry, objectName);
}
Label::~Label() = default;
void Label::setText(std::string_view gbkText) { m_impl->label->setText(toQt(gbkText)); }
Text Label::text() const { return fromQt(m_impl->label->text()); }

// ---------------------------------------------------------------------------------------------

struct Frame::Impl {
    QFrame* frame;
};

Frame::Frame(Window& window, Geometry geometry, std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->frame = new QFrame(window.widget());
    m_impl->frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    m_impl->frame->setLineWidth(1);
    place(m_impl->frame, geometry, objectName);
    m_impl->frame->lower();  // behind the controls it frames
}
Frame::~Frame() = default;

// ---------------------------------------------------------------------------------------------

struct EditBox::Impl {
    QLineEdit* line = nullptr;
    QPlainTextEdit* lines = nullptr;
    QWidget* widget = nullptr;
};

EditBox::EditBox(Window& window, Geometry geometry, EditKind kind, std::string_view gbkText,
                 std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    if (kind == EditKind::MultiLineScrolling || kind == EditKind::MultiLinePlain) {
        auto* box = new QPlainTextEdit(window.widget());
        box->setVerticalScrollBarPolicy(
            kind == EditKind::MultiLineScrolling ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff);
        box->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        box->setLineWrapMode(QPlainTextEdit::WidgetWidth);
        box->setPlainText(linesToQt(gbkText));
        m_impl->lines = box;
        m_impl->widget = box;
    } else {
        auto* box = new QLineEdit(window.widget());
        if (kind == EditKind::SingleLineCentred) box->setAlignment(Qt::AlignCenter);
        if (kind == EditKind::Password) {
            box->setEchoMode(QLineEdit::Password);
            // The mask is "*" whatever the style would draw.
            box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
        }
        box->setText(toQt(gbkText));
        m_impl->line = box;
        m_impl->widget = box;
    }
    place(m_impl->widget, geometry, objectName);
}

EditBox::~EditBox() = default;

Text EditBox::text() const {
    if (m_impl->lines) return linesFromQt(m_impl->lines->toPlainText());
    return fromQt(m_impl->line->text());
}

void EditBox::setText(std::string_view gbkText) {
    if (m_impl->lines) {
        m_impl->lines->setPlainText(linesToQt(gbkText));
    } else {
        m_impl->line->setText(toQt(gbkText));
    }
}

void EditBox::setDigitsAndMinusFilter() {
    m_impl->widget->installEventFilter(new DigitsAndMinusFilter(m_impl->widget));
}

void EditBox::onTextChanged(std::function<void()> handler) {
    auto call = [handler = std::move(handler)] { callHandler(handler); };
    if (m_impl->lines) {
        QObject::connect(m_impl->lines, &QPlainTextEdit::textChanged, m_impl->lines, call);
    } else {
        QObject::connect(m_impl->line, &QLineEdit::textChanged, m_impl->line, call);
    }
}

void EditBox::focus() { m_impl->widget->setFocus(Qt::OtherFocusReason); }
bool EditBox::hasFocus() const { return m_impl->widget->hasFocus(); }

// ---------------------------------------------------------------------------------------------

struct CheckBox::Impl {
    QCheckBox* box;
};

CheckBox::CheckBox(Window& window, Geometry geometry, std::string_view gbkCaption, bool ticked,
                   std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->box = new QCheckBox(toQt(gbkCaption), window.widget());
    m_impl->box->setChecked(ticked);
    place(m_impl->box, geometry, objectName);
}
CheckBox::~CheckBox() = default;
bool CheckBox::isTicked() const { return m_impl->box->isChecked(); }
void CheckBox::setTicked(bool ticked) { m_impl->box->setChecked(ticked); }

// ---------------------------------------------------------------------------------------------

struct Button::Impl {
    QPushButton* button;
};

Button::Button(Window& window, Geometry geometry, std::string_view gbkCaption,
               std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    m_impl->button = new QPushButton(toQt(gbkCaption), window.widget());
    m_impl->button->setAutoDefault(false);
    place(m_impl->button, geometry, objectName);
}
Button::~Button() = default;

void Button::onPressed(std::function<void()> handler) {
    QObject::connect(m_impl->button, &QPushButton::clicked, m_impl->button,
                     [handler = std::move(handler)] { callHandler(handler); });
}

// ---------------------------------------------------------------------------------------------

struct LinkLabel::Impl {
    LinkWidget* link;
};

LinkLabel::LinkLabel(Window& window, Geometry geometry, std::string_view gbkCaption,
                     std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    auto* link = new LinkWidget(window.widget());
    link->setTextFormat(Qt::PlainText);
    link->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    link->setCursor(Qt::PointingHandCursor);
    QFont font = link->font();
    font.setUnderline(true);
    link->setFont(font);
    QPalette palette = link->palette();
    palette.setColor(QPalette::WindowText, QColor(0, 0, 255));
    link->setPalette(palette);
    link->setText(toQt(gbkCaption));
    m_impl->link = link;
    place(link, geometry, objectName);
}
LinkLabel::~LinkLabel() = default;
void LinkLabel::setText(std::string_view gbkText) { m_impl->link->setText(toQt(gbkText)); }
Text LinkLabel::text() const { return fromQt(m_impl->link->text()); }
void LinkLabel::onPressed(std::function<void()> handler) {
    m_impl->link->pressedHandler = std::move(handler);
}

// ---------------------------------------------------------------------------------------------

struct ReportList::Impl {
    QTableView* view = nullptr;
    ReportModel* model = nullptr;
};

ReportList::ReportList(Window& window, Geometry geometry, std::vector<Column> columns,
                       std::string_view objectName)
    : m_impl(std::make_unique<Impl>()) {
    auto* view = new QTableView(window.widget());
    auto* model = new ReportModel(std::move(columns));
    model->setParent(view);
    view->setModel(model);
    view->setShowGrid(false);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setSortingEnabled(false);
    view->setWordWrap(false);
    view->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    view->setPalette(palette);

    QHeaderView* header = view->horizontalHeader();
    header->setSectionsClickable(false);
    header->setSectionsMovable(false);
    header->setHighlightSections(false);
    header->setSortIndicatorShown(false);
    header->setStretchLastSection(false);
    header->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < static_cast<int>(model->columns().size()); ++c) {
        view->setColumnWidth(c, model->columns()[c].width);
    }

    // A report list has no row headers; every row has the height of one line of text.
    QHeaderView* rows = view->verticalHeader();
    rows->hide();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(view->fontMetrics().height() + 4);

    m_impl->view = view;
    m_impl->model = model;
    place(view, geometry, objectName);
}

ReportList::~ReportList() = default;

void ReportList::appendRow() { m_impl->model->appendRow(); }
int ReportList::rowCount() const { return m_impl->model->rowCount(); }
int ReportList::columnCount() const { return m_impl->model->columnCount(); }
void ReportList::setCell(int row, int column, std::string_view gbkText) {
    m_impl->model->setCell(row, column, gbkText);
}
Text ReportList::cellText(int row, int column) const {
    return Text(m_impl->model->cell(row, column));
}
std::string_view ReportList::cellView(int row, int column) const {
    return m_impl->model->cell(row, column);
}

}  // namespace sowmere::ui
