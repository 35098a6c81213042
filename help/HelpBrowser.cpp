#include "help/HelpBrowser.h"

#include "help/HelpChmFile.h"
#include "help/HelpSystem.h"
#include "ui/DesktopOpener.h"

#include <QDir>
#include <QRegularExpression>
#include <QTextDocument>

namespace {
const QString Scheme = QStringLiteral("chm");

// Relative links count from the page shown, or from the root before any page is.
QUrl resolveAgainst(const QUrl& base, const QUrl& link) {
    if (!link.isRelative())
        return link;
    return (base.isEmpty() ? QUrl(Scheme + QStringLiteral(":/")) : base).resolved(link);
}
} // namespace

HelpBrowser::HelpBrowser(QWidget* parent) : QTextBrowser(parent) {
    setOpenLinks(false);
    setOpenExternalLinks(false);
    connect(this, &QTextBrowser::anchorClicked, this, &HelpBrowser::followLink);
}

QUrl HelpBrowser::TopicUrl(const QString& topic) {
    QString path = topic;
    QString anchor;
    const qsizetype hash = path.indexOf(QLatin1Char('#'));
    if (hash >= 0) {
        anchor = path.mid(hash + 1);
        path.truncate(hash);
    }
    QUrl url;
    url.setScheme(Scheme);
    url.setPath(QLatin1Char('/') + QDir::cleanPath(path).remove(QRegularExpression("^/+")));
    if (!anchor.isEmpty())
        url.setFragment(anchor);
    return url;
}

QString HelpBrowser::TopicPath(const QUrl& url) {
    QString path = url.path();
    while (path.startsWith(QLatin1Char('/')))
        path.remove(0, 1);
    return path;
}

void HelpBrowser::followLink(const QUrl& link) {
    const QUrl target = resolveAgainst(source(), link);
    if (target.scheme() != Scheme) {
        HelpSystem::LogRequest(QStringLiteral("Link"), target.toString(),
                               QStringLiteral("opened outside the help"));
        DesktopOpener::Open(target.toString());
        return;
    }
    const QString topic = TopicPath(target);
    HelpSystem::LogRequest(QStringLiteral("Link"), topic,
                           m_file && m_file->contains(topic) ? QStringLiteral("shown")
                                                             : QStringLiteral("topic not found"));
    setSource(target);
}

QByteArray HelpBrowser::missingTopicPage(const QString& topic) const {
    const QString file = m_file ? m_file->path() : HelpSystem::HelpFile();
    return QStringLiteral("<html><head><title>Topic not found</title></head><body>"
                          "<h1>Topic not found</h1><p>%1</p>"
                          "<p>Use <b>Back</b> to return, or pick a topic from the contents.</p>"
                          "</body></html>")
        .arg(HelpSystem::TopicMissingMessage(topic, file).toHtmlEscaped())
        .toUtf8();
}

QVariant HelpBrowser::loadResource(int type, const QUrl& name) {
    const QUrl url = resolveAgainst(source(), name);
    if (url.scheme() != Scheme)
        return {}; // nothing is fetched from outside the help file
    const QString path = TopicPath(url);
    const QByteArray data = m_file ? m_file->read(path) : QByteArray();
    if (type == QTextDocument::HtmlResource)
        return data.isEmpty() ? missingTopicPage(path) : data;
    if (data.isEmpty())
        return {};
    if (type == QTextDocument::StyleSheetResource)
        return QString::fromUtf8(data);
    return data; // pictures: the document decodes them
}
