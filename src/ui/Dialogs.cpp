#include "ui/Dialogs.h"

#include <QDesktopServices>
#include <QMessageBox>
#include <QUrl>

#include "ui/QtText.h"

namespace sowmere::ui {

bool ToolkitDialogs::message(std::string_view gbkText, Buttons buttons) {
    static const char kTitle[] = "\xE6\x8F\x90\xE7\xA4\xBA\xEF\xBC\x9A";  // 提示： in UTF-8
    QMessageBox box(
        QMessageBox::NoIcon, QString::fromUtf8(kTitle), toQt(gbkText),
        buttons == Buttons::OkCancel ? QMessageBox::Ok | QMessageBox::Cancel : QMessageBox::Ok,
        nullptr);
    box.setTextFormat(Qt::PlainText);  // keeps leading blanks and shows markup as typed
    box.setWindowModality(Qt::ApplicationModal);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(buttons == Buttons::OkCancel ? QMessageBox::Cancel : QMessageBox::Ok);
    return box.exec() == QMessageBox::Ok;
}

void ToolkitDialogs::openAddress(std::string_view gbkAddress) {
    QDesktopServices::openUrl(QUrl::fromUserInput(toQt(gbkAddress)));
}

}  // namespace sowmere::ui
