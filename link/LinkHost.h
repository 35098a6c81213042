#pragma once

#include "link/DeviceStatus.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

// What the conversations with the logger need from the window that runs them. The main window
// implements it; the link never reaches into the main window otherwise.
class LinkHost {
public:
    virtual ~LinkHost() = default;

    // What is known of the logger: its name, version and record count go into commands.
    virtual const DeviceStatus& Status() const = 0;
    // A status reply was read, whole or in part: the name, clock offset, record count, version
    // and battery it gave (the rest of the values as they were).
    virtual void StatusRead(const DeviceStatus& status) = 0;
    // The user gave the logger a new name; the command that sends it follows.
    virtual void NameChosen(const QString& name) = 0;

    // The status reply came complete: the logger is connected and known.
    virtual void LinkConnected() = 0;
    // The logger is not (or no longer) there: closed, lost, or not answering.
    virtual void LinkDisconnected() = 0;

    // While the link waits for the logger the host takes no input; the link's own dialogs
    // (connect, download, erase, name) stay usable.
    virtual void HoldInput(bool hold) = 0;
    // A short note in the status line, gone after the given seconds (0: until the next one).
    virtual void ShowStatus(const QString& text, int seconds) = 0;

    // A download has filled the event and daily tables.
    virtual void DataDownloaded() = 0;
    // The logger's clock offset as a status reply measured it before any clock setting, with the
    // PC's time of the reading: what a later download's records are corrected by.
    virtual void ClockMeasured(double clockOffset, const QDateTime& pcNow) = 0;
    // A completed download's exact bytes and check-sum verdict, after the views have it: to keep.
    virtual void DownloadCompleted(const QByteArray& raw, bool crcOk) = 0;

    // The port a logger last answered on (where a search starts), and remembering a new one.
    virtual int LastPort() const = 0;
    virtual void RememberPort(int port) = 0;
};
