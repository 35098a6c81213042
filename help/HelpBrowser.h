#pragma once

#include <QTextBrowser>

class HelpChmFile;

// Shows topics of an opened help file: pages, pictures and the style sheet come out of the
// file, relative links are resolved against the page that holds them, links that leave the
// help file go to the desktop.
class HelpBrowser : public QTextBrowser {
    Q_OBJECT
public:
    explicit HelpBrowser(QWidget* parent = nullptr);

    void setHelpFile(const HelpChmFile* file) { m_file = file; }
    // "chm:/deviceinfo.htm#anchor" for a topic path inside the file.
    static QUrl TopicUrl(const QString& topic);
    // The topic path of a help URL ("deviceinfo.htm"), without anchor.
    static QString TopicPath(const QUrl& url);
    // Follows a link as a click would (relative to the page shown).
    void followLink(const QUrl& link);

    QVariant loadResource(int type, const QUrl& name) override;

private:
    QByteArray missingTopicPage(const QString& topic) const;

    const HelpChmFile* m_file = nullptr;
};
