#pragma once

#include <QString>
#include <QStringList>

// Routes the program's help requests to the compiled help file beside the program.
namespace HelpSystem {

inline constexpr int MainContext = 1001;

class Viewer {
public:
    virtual ~Viewer() = default;
    virtual void showTopic(const QString& helpFile, const QString& topic) = 0;
    virtual void closeAll() = 0;
};

void Install(Viewer* viewer);
QString HelpFile(); // ProgramFolder() + "Ombrex 2.chm"
void ShowTopic(const QString& topic);
void CloseAll();
// Every topic asked for in this process, oldest first (the diagnostic log reads it too).
const QStringList& Requests();

} // namespace HelpSystem
