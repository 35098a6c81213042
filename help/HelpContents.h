#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// The table of contents of a help file, read from its ".hhc" sitemap.
struct HelpContentsEntry {
    QString name;  // the "Name" parameter
    QString local; // the "Local" parameter: a topic path, possibly with "#anchor"
    QList<HelpContentsEntry> children;
};

// Reads the nested <UL>/<LI>/<OBJECT type="text/sitemap"> lists of a sitemap. Anything it does
// not know is skipped; a damaged file gives what could be read.
QList<HelpContentsEntry> ParseSitemap(const QByteArray& sitemap);
