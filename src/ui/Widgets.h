#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "text/Text.h"

class QWidget;

namespace sowmere::ui {

using text::Text;

// Every text crossing this interface is GBK; object names are UTF-8 (tests find controls by
// them). Positions and sizes are pixels of the window's client area.
struct Geometry {
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The toolkit application; one per process, created before the first window.
class Application {
public:
    Application(int& argc, char** argv);
    ~Application();
    // Runs the event loop until no window of the program is open any more.
    int exec();
    // The directory that holds the program file (platform file-name encoding).
    static std::string programDirectory();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A top-level window, not modal, without owner, not resizable, carrying the program's icon.
class Window {
public:
    Window(std::string_view gbkTitle, int outerWidth, int outerHeight, std::string_view objectName);
    ~Window();
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;

    void setTitle(std::string_view gbkTitle);
    Text title() const;
    void show();
    // Deferred: the window closes the next time pending events run.
    void requestClose();
    bool isOpen() const;
    void bringToFront();
    // Asked when the user closes the window (not for requestClose); false keeps it open.
    void setCloseFilter(std::function<bool()> allowClose);
    // Called once the window has closed, by the user or by requestClose.
    void onClosed(std::function<void()> handler);

    QWidget* widget() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class Label {
public:
    Label(Window& window, Geometry geometry, std::string_view gbkText,
          std::string_view objectName = {});
    ~Label();
    void setText(std::string_view gbkText);
    Text text() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A thin-bordered box without text that frames an area.
class Frame {
public:
    Frame(Window& window, Geometry geometry, std::string_view objectName = {});
    ~Frame();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

enum class EditKind {
    SingleLine,
    SingleLineCentred,
    Password,            // shows "*" for every character
    MultiLineScrolling,  // vertical scroll bar
    MultiLinePlain,      // no scroll bars
};

// Multi-line boxes hold their lines with CR LF: text() reads "\r\n" between lines however they
// were typed or pasted, and setText shows CR LF-ended lines as lines.
class EditBox {
public:
    EditBox(Window& window, Geometry geometry, EditKind kind, std::string_view gbkText = {},
            std::string_view objectName = {});
    ~EditBox();
    Text text() const;
    void setText(std::string_view gbkText);
    // Typed printable characters other than "0"-"9" and "-" are ignored; pasting is not
    // filtered.
    void setDigitsAndMinusFilter();
    void onTextChanged(std::function<void()> handler);
    void focus();
    bool hasFocus() const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class CheckBox {
public:
    CheckBox(Window& window, Geometry geometry, std::string_view gbkCaption, bool ticked,
             std::string_view objectName = {});
    ~CheckBox();
    bool isTicked() const;
    void setTicked(bool ticked);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

class Button {
public:
    Button(Window& window, Geometry geometry, std::string_view gbkCaption,
           std::string_view objectName = {});
    ~Button();
    void onPressed(std::function<void()> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// A hyperlink label that acts when the left mouse button is pressed on it.
class LinkLabel {
public:
    LinkLabel(Window& window, Geometry geometry, std::string_view gbkCaption,
              std::string_view objectName = {});
    ~LinkLabel();
    void setText(std::string_view gbkText);
    Text text() const;
    void onPressed(std::function<void()> handler);

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

enum class Align { Left, Centre };

struct Column {
    Text gbkTitle;
    int width = 0;
    Align align = Align::Left;
};

// A report-view list: column headers, single selection without full-row highlight, no grid,
// header clicks doing nothing. Rows live in a model, not in one widget item per cell.
class ReportList {
public:
    ReportList(Window& window, Geometry geometry, std::vector<Column> columns,
               std::string_view objectName = {});
    ~ReportList();
    void appendRow();
    int rowCount() const;
    int columnCount() const;
    void setCell(int row, int column, std::string_view gbkText);
    Text cellText(int row, int column) const;
    // The held text of a cell without a copy; valid until the next change of the list.
    std::string_view cellView(int row, int column) const;

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

}  // namespace sowmere::ui
