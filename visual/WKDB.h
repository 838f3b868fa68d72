#pragma once
// Russian texts for the database layer of every program of the suite: the
// field validation messages (set once when the library starts) and readable
// messages for the well database's errors on posting a record.
#include "DataSet.h"

#include <QObject>
#include <QString>

#pragma GCC visibility push(default)

// Texts raised in place of the engine's own.
inline const QString SDBInvalidValue = QStringLiteral("Недопустимое значение вводимых данных");
inline const QString SDBDuplicateKey =
    QStringLiteral("Подобный элемент уже имеется в таблице. Проверьте правильность ввода данных.");

// The engine's codes the handler translates.
constexpr long IBErrValidation = 335544347;   // validation error for a column
constexpr long IBErrUniqueKey = 335544665;    // unique or primary key violation

class TFBErrorMessageHandler : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    // Gives DataSet OnPostError as its post-error handler, unless it has one.
    void HookErrorHandler(TDataSet* DataSet);
    // Errors of the Firebird client with a known code are raised again with
    // the texts above; any other error is left to fail as it came.
    void OnPostError(TDataSet& DataSet, const EDatabaseError& E, TDataAction& Action);
};

// The one handler: made when the library starts, freed when the program ends.
extern TFBErrorMessageHandler* FBErrorHandler;

// HookErrorHandler for every data set owned by DataModule (an owner in the
// component sense, or the Qt parent of a module that is no component).
void HookErrorHandlers(QObject* DataModule);
// Every floating-point field without a display format, in every SQL data set
// of DataModule, gets Fmt.
void SetDefFloatFmt(QObject* DataModule, const QString& Fmt);
// Installs the Russian field messages (done once at library start-up).
void InstallRussianFieldMessages();

#pragma GCC visibility pop
