#pragma once
// Driving the chart menus as a user does: a right click on a part of the
// chart (the menu is recorded, not shown), a command of the opened menu, and
// the parameter picker answered by parameter names.
#include "Kurvex.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "StateTree.h"
#include "UIServices.h"
#include "dlg_SelectParam.h"
#include "dm_ControlRes.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

// A right click at a point of the widget (its centre by default).
inline void RightClick(QWidget* w, QPoint at = QPoint(-1, -1)) {
    if (at.x() < 0) at = w->rect().center();
    QContextMenuEvent e(QContextMenuEvent::Mouse, at, w->mapToGlobal(at));
    QApplication::sendEvent(w, &e);
}

// The menus record their popups instead of showing them while this lives.
class TMenuRecorder {
public:
    TMenuRecorder() {
        for (TPopupMenu* m : Menus()) m->ShowHandler = [this](TPopupMenu* menu) { Last = menu; };
    }
    ~TMenuRecorder() {
        for (TPopupMenu* m : Menus()) m->ShowHandler = nullptr;
    }
    TMenuRecorder(const TMenuRecorder&) = delete;
    TMenuRecorder& operator=(const TMenuRecorder&) = delete;
    TPopupMenu* Last = nullptr;

private:
    static std::vector<TPopupMenu*> Menus() {
        if (!dmControlRes) return {};
        return {dmControlRes->pmChart, dmControlRes->pmScale, dmControlRes->pmValues};
    }
};

// The picker checks (multi choice) or selects (single choice) the parameters
// of these names and presses OK; an empty list cancels it.
inline void ScriptPicker(TScriptedUIServices& ui, const QStringList& names, TSensSelection* seen = nullptr) {
    ui.ScriptDialogOnce(QStringLiteral("TdlgSelectParam"), [names, seen](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        if (seen) *seen = dlg.Selection;
        if (names.isEmpty()) {
            dlg.CancelBtn->click();
            return DialogResult(dlg);
        }
        dlg.show();
        for (const QString& name : names) {
            bool found = false;
            for (TTreeNode* n : dlg.tvParams->Nodes())
                if (n->text(0) == name && n->Parent()) {
                    dlg.tvParams->SetSelected(n);
                    if (dlg.SingleParam) {
                        // A single choice is taken by a click on the parameter.
                        dlg.tvParams->scrollToItem(n);
                        const QRect r = dlg.tvParams->visualItemRect(n);
                        QTest::mouseClick(dlg.tvParams->viewport(), Qt::LeftButton, {}, r.center());
                    } else {
                        QTest::keyClick(dlg.tvParams, Qt::Key_Space);
                    }
                    found = true;
                    break;
                }
            EXPECT_TRUE(found) << "no parameter " << name.toStdString() << " in the picker";
        }
        dlg.OKBtn->click();
        return DialogResult(dlg);
    });
}

// The names the picker offers (its parameter nodes), answered with cancel.
inline void ScriptPickerOffer(TScriptedUIServices& ui, QStringList& offered) {
    ui.ScriptDialogOnce(QStringLiteral("TdlgSelectParam"), [&offered](QObject* d) {
        auto& dlg = *qobject_cast<TdlgSelectParam*>(d);
        dlg.show();
        offered.clear();
        for (TTreeNode* n : dlg.tvParams->Nodes())
            if (n->Parent()) offered << n->text(0);
        dlg.CancelBtn->click();
        return DialogResult(dlg);
    });
}

inline QAction* MenuItem(TPopupMenu* menu, const char* name) {
    for (QAction* a : menu->Menu()->actions())
        if (a->objectName() == QLatin1String(name)) return a;
    ADD_FAILURE() << "no item " << name;
    return nullptr;
}
