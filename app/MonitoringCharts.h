#pragma once

#pragma GCC visibility push(default)
// The live chart that the chart forms and the tabbed form put into a form:
// owned by the form, named uniquely in it, filling it, on time (the next two
// hours) or on depth (0 to 100 m).
class TComponentBase;
class TForm;
class TWKChart;
class QString;

// The class name when no component of the owner has it, else the class name
// + "_" + the smallest free n >= 1.
QString UniqueComponentName(const TComponentBase& owner, const QString& base);
// Makes the chart and inserts it into the form.
TWKChart* NewMonitoringChart(TForm& form, bool isDateTime);
// The X display and range of a new chart.
void SetNewChartRange(TWKChart& chart, bool isDateTime);

#pragma GCC visibility pop
