#include "app/QtPrompts.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QProcess>
#include <QUrl>

using Prompts::Answer;
using Prompts::Kind;

namespace {
QWidget* owner() {
    return QApplication::activeWindow();
}
} // namespace

Answer QtPrompts::ask(Kind kind, const QString& text) {
    QMessageBox box(owner());
    box.setWindowTitle(Prompts::Caption(kind));
    box.setText(text);
    switch (kind) {
    case Kind::Message:
        box.setIcon(QMessageBox::Information);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Error:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Kind::Confirm:
        box.setIcon(QMessageBox::Question);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Kind::Warning:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    }
    switch (box.exec()) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return Answer::Cancel;
    }
}

QString QtPrompts::QtFilter(const QString& filter) {
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2)
        out << QStringLiteral("%1 (%2)").arg(parts[i], parts[i + 1]);
    return out.join(QStringLiteral(";;"));
}

namespace {
QString run(const Prompts::FileDialog& d, QFileDialog::AcceptMode mode) {
    QFileDialog dialog(owner(), d.title, d.folder, QtPrompts::QtFilter(d.filter));
    dialog.setAcceptMode(mode);
    dialog.setFileMode(mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile
                                                       : QFileDialog::AnyFile);
    QString ext = d.defaultExt;
    dialog.setDefaultSuffix(ext.remove(QLatin1Char('*')).remove(QLatin1Char('.')));
    if (!d.fileName.isEmpty())
        dialog.selectFile(d.fileName);
    // Asking about an existing file is the program's own business (append or overwrite).
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
} // namespace

QString QtPrompts::openFile(const Prompts::FileDialog& d) {
    return run(d, QFileDialog::AcceptOpen);
}
QString QtPrompts::saveFile(const Prompts::FileDialog& d) {
    return run(d, QFileDialog::AcceptSave);
}

bool QtPrompts::printerSetup(QPrinter* printer) {
    QPrintDialog dialog(printer, owner());
    return dialog.exec() == QDialog::Accepted;
}

bool QtDesktopOpener::open(const QString& url) {
    return QDesktopServices::openUrl(QUrl(url));
}

bool QtDesktopOpener::hasHandler(const QString& mimeType) {
#ifdef Q_OS_LINUX
    QProcess query;
    query.start(QStringLiteral("xdg-mime"),
                {QStringLiteral("query"), QStringLiteral("default"), mimeType});
    if (!query.waitForFinished(3000) || query.exitCode() != 0)
        return false;
    return !query.readAllStandardOutput().trimmed().isEmpty();
#else
    Q_UNUSED(mimeType);
    return true;
#endif
}
