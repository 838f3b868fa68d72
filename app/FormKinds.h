#pragma once

#pragma GCC visibility push(default)
// The form kinds of the workstation, as the main window reaches them through
// FormKindHooks(): the gallery, composite forms from files, and which forms
// offer the chart commands.
class QWidget;
class TBaseMDIForm;
class TGraphion;

// The chart the chart commands act on: the form's focused control when that
// is (inside) a chart, else the chart of a real-time chart form; null none.
TGraphion* ActiveChartOf(TBaseMDIForm* form);
// Fills the hooks; done once when the library loads.
void InstallFormKindHooks();

#pragma GCC visibility pop
