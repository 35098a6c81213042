#pragma once

#include "help/HelpChmFile.h"
#include "help/HelpContents.h"

#include <QMainWindow>

class HelpBrowser;
class QAction;
class QTreeWidget;
class QTreeWidgetItem;

// The help window: the table of contents beside the topic, with Back, Forward, Contents and
// Home (the introduction).
class THelpWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit THelpWindow(QWidget* parent = nullptr);
    ~THelpWindow() override;

    // Opens the help file (again, if it is another one). False when it cannot be read.
    bool openHelpFile(const QString& path);
    const HelpChmFile& helpFile() const { return m_file; }
    bool hasTopic(const QString& topic) const;
    void showTopic(const QString& topic);

    HelpBrowser* browser() const { return m_browser; }
    QTreeWidget* contentsTree() const { return m_contents; }
    QAction* backAction() const { return m_back; }
    QAction* forwardAction() const { return m_forward; }
    QAction* contentsAction() const { return m_showContents; }
    QAction* homeAction() const { return m_home; }
    // The topic shown ("deviceinfo.htm") and its title.
    QString currentTopic() const;
    QString currentTitle() const;

private:
    void fillContents();
    void addEntries(QTreeWidgetItem* parent, const QList<HelpContentsEntry>& entries);
    void contentsClicked(QTreeWidgetItem* item);
    void sourceChanged(const QUrl& url);

    HelpChmFile m_file;
    HelpBrowser* m_browser = nullptr;
    QTreeWidget* m_contents = nullptr;
    QAction* m_back = nullptr;
    QAction* m_forward = nullptr;
    QAction* m_showContents = nullptr;
    QAction* m_home = nullptr;
};
