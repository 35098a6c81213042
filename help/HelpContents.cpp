#include "help/HelpContents.h"

#include <QRegularExpression>

namespace {

QString attribute(const QString& tag, const QString& name) {
    const QRegularExpression re(
        QStringLiteral("\\b%1\\s*=\\s*(?:\"([^\"]*)\"|'([^']*)'|([^\\s>]+))").arg(name),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(tag);
    if (!m.hasMatch())
        return {};
    for (int i = 1; i <= 3; ++i)
        if (m.capturedStart(i) >= 0)
            return m.captured(i);
    return {};
}

// Sitemaps write entities (&amp;, &quot;) in their parameter values.
QString decodeEntities(QString text) {
    text.replace(QLatin1String("&quot;"), QLatin1String("\""));
    text.replace(QLatin1String("&#39;"), QLatin1String("'"));
    text.replace(QLatin1String("&lt;"), QLatin1String("<"));
    text.replace(QLatin1String("&gt;"), QLatin1String(">"));
    text.replace(QLatin1String("&amp;"), QLatin1String("&"));
    return text;
}

} // namespace

QList<HelpContentsEntry> ParseSitemap(const QByteArray& sitemap) {
    const QString text = QString::fromUtf8(sitemap);
    static const QRegularExpression tagRe(QStringLiteral("<\\s*(/?)\\s*([a-zA-Z]+)([^>]*)>"));

    QList<HelpContentsEntry> root;
    // Path of child indexes from the root to the list being filled.
    QList<QList<HelpContentsEntry>*> lists;
    int depth = 0;
    bool inObject = false;
    HelpContentsEntry current;

    auto listAt = [&]() -> QList<HelpContentsEntry>& {
        return lists.isEmpty() ? root : *lists.last();
    };

    auto it = tagRe.globalMatch(text);
    while (it.hasNext()) {
        const auto m = it.next();
        const bool closing = !m.captured(1).isEmpty();
        const QString tag = m.captured(2).toLower();
        const QString rest = m.captured(3);
        if (tag == QLatin1String("ul")) {
            if (!closing) {
                ++depth;
                // A nested list belongs to the entry written just before it.
                if (depth > 1 && !listAt().isEmpty())
                    lists.append(&listAt().last().children);
                else if (depth > 1)
                    lists.append(&listAt()); // a list without an owner: keep its entries
            } else if (depth > 0) {
                if (depth > 1 && !lists.isEmpty())
                    lists.removeLast();
                --depth;
            }
        } else if (tag == QLatin1String("object")) {
            if (!closing) {
                inObject = attribute(rest, QStringLiteral("type"))
                               .compare(QLatin1String("text/sitemap"), Qt::CaseInsensitive) == 0;
                current = HelpContentsEntry();
            } else if (inObject) {
                inObject = false;
                if (depth > 0 && !current.name.isEmpty())
                    listAt().append(current);
            }
        } else if (tag == QLatin1String("param") && inObject) {
            const QString name = attribute(rest, QStringLiteral("name")).toLower();
            const QString value = decodeEntities(attribute(rest, QStringLiteral("value")));
            if (name == QLatin1String("name"))
                current.name = value;
            else if (name == QLatin1String("local"))
                current.local = value;
        }
    }
    return root;
}
