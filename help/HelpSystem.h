#pragma once

#include "help/HelpDebugLog.h"

#include <QString>
#include <QStringList>

// Routes the program's help requests to the compiled help file beside the program.
namespace HelpSystem {

inline constexpr int MainContext = 1001;

// What a viewer made of a request.
enum class Result { Shown, FileMissing, TopicMissing };

class Viewer {
public:
    virtual ~Viewer() = default;
    // topic is a path inside the help file, optionally with "#anchor".
    virtual Result showTopic(const QString& helpFile, const QString& topic) = 0;
    virtual void closeAll() = 0;
};

void Install(Viewer* viewer);
QString HelpFile(); // ProgramFolder() + "Ombrex 2.chm", unless SetHelpFile chose another
// Another help file (empty restores the one beside the program).
void SetHelpFile(const QString& path);

// Opens a topic. A missing file or topic is reported with the help system's own message.
void ShowTopic(const QString& topic);
// Opens the topic of a window's help context number (HelpContexts.h).
void ShowContext(int contextId);
void CloseAll();
// Every topic asked for in this process, oldest first (the diagnostic log reads it too).
const QStringList& Requests();

QString FileMissingMessage(const QString& helpFile);
QString TopicMissingMessage(const QString& topic, const QString& helpFile);
QString ContextMissingMessage(int contextId);

} // namespace HelpSystem
