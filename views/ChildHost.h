#pragma once

#include "analysis/Storms.h"
#include "link/DeviceStatus.h"

#include <QList>
#include <cstdint>

class QMdiSubWindow;
class QPrinter;
class TChildGraph;
class TChildHyetograph;

// What the child windows need from the main window. The main window implements it; the views
// never reach into the main window otherwise.
class ChildHost {
public:
    virtual ~ChildHost() = default;

    virtual const DeviceStatus& Status() const = 0;

    // The activation protocol every child follows.
    virtual void ChildActivate() = 0;
    virtual void ChildDeactivate() = 0;

    // The day range a text window hands to graph windows created later.
    virtual int32_t GraphFirstDay() const = 0;
    virtual int32_t GraphLastDay() const = 0;
    virtual void SetGraphRange(int32_t first, int32_t last) = 0;

    virtual QList<TChildGraph*> GraphWindows() const = 0;
    virtual TChildGraph* CreateGraphWindow() = 0;
    virtual QMdiSubWindow* ActiveChild() const = 0;
    virtual QList<TChildHyetograph*> HyetographWindows() const { return {}; }
    // A new hyetograph window, shown and active; nullptr where the host has none.
    virtual TChildHyetograph* CreateHyetographWindow() { return nullptr; }

    // The main window's "&Print..." and "&Copy", which act on the active child.
    virtual void MnuPrintClick() = 0;
    virtual void MnuCopyClick() = 0;
    virtual QPrinter* Printer() = 0;

    // The storm analysis options, kept in the settings store.
    virtual Analysis::StormOptions StormOptions() const { return {}; }
    virtual void SetStormOptions(const Analysis::StormOptions&) {}
    // What the tables hold, as the caption names it (a file, a logger).
    virtual QString DataSetName() const { return Status().DeviceName; }
};
