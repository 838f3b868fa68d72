#pragma once
// The composite form: the controls of a user form file (.wkf) in a scroll
// box filling a monitoring form. The form owns every control, so its
// component text holds them.
#include "fm_BaseMDIForm.h"

#pragma GCC visibility push(default)

class TScrollBox;

class TfmWKComplexForm : public TBaseMDIForm {
    Q_OBJECT
public:
    Q_INVOKABLE explicit TfmWKComplexForm(QObject* owner = nullptr);

    // Reads the file's controls into a new form; raises (and makes no form)
    // when the file cannot be read.
    static TfmWKComplexForm* CreateFromFile(QObject* owner, const QString& fileName);

    // The scroll box (the first one among the form's controls), or null.
    TScrollBox* ScrollBox() const;
};

#pragma GCC visibility pop
