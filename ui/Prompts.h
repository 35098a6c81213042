#pragma once

#include <QString>
#include <QStringList>
#include <exception>
#include <functional>

class QPrinter;

// The one way the program asks or tells the user anything. The application installs the
// Qt implementation; tests install a scripted one; with none installed, prompts go to stderr
// and answer No/Cancel so nothing ever blocks.
namespace Prompts {

enum class Kind {
    Message, // caption "Ombrex 2.2", OK
    Error,   // caption "Error", OK
    Confirm, // caption "Confirm", Yes and No
    Warning, // caption "Warning", Yes and No
};

enum class Answer { Ok, Yes, No, Cancel };

// "Hyetra Data Files|*.dat|Version 2.0 Files|*.csv" style filter, as the dialogs are designed.
struct FileDialog {
    QString title;
    QString folder;     // initial folder
    QString fileName;   // proposed name (may be empty)
    QString filter;     // pairs of description|pattern separated by '|'
    QString defaultExt; // "dat": given to a name typed without an extension
};

class Service {
public:
    virtual ~Service() = default;
    virtual Answer ask(Kind kind, const QString& text) = 0;
    // The chosen path, or an empty string when the user cancelled.
    virtual QString openFile(const FileDialog& dialog) = 0;
    virtual QString saveFile(const FileDialog& dialog) = 0;
    // The printer set-up dialog over the shared printer; false when cancelled.
    virtual bool printerSetup(QPrinter* printer) = 0;
};

// Installs a service (not owned); nullptr restores the console fallback.
void Install(Service* service);
Service& Current();

QString Caption(Kind kind);

void ShowMessage(const QString& text);  // plain message box
void ShowError(const QString& text);    // error box
bool Confirm(const QString& text);      // true for Yes
bool WarningYesNo(const QString& text); // true for Yes

// The general error display: an error the program does not handle, shown with its own text.
void ShowGeneralError(const QString& text);
void ShowGeneralError(const std::exception& error);

// Runs an operation at an event boundary: an error stops the operation, is shown by the
// general error display, and the program goes on. Returns false when it failed.
bool Guarded(const std::function<void()>& operation);

// Applies a filter's default extension to a name typed without one.
QString WithDefaultExtension(const QString& path, const QString& defaultExt);

} // namespace Prompts
