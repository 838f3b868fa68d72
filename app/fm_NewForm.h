#pragma once
// The new-form gallery ("Новая форма"): the built-in kinds of monitoring form
// in groups, then the templates of the user's "Templates" folder, and the
// name of the new form. NewFormCommand creates what was chosen.
#include <QDialog>
#include <QStringList>

#pragma GCC visibility push(default)

class IWKFormsHost;
class QLineEdit;
class QPushButton;
class TGroupedIconList;

class TfmNewForm : public QDialog {
    Q_OBJECT
public:
    // The built-in entries by their index (the entry's data).
    enum TEntryKind {
        nfChartTime, nfChartDepth, nfGridTime, nfGridDepth, nfComplex, nfReviewTime, nfReviewDepth,
        nfTabsTime, nfTabsDepth, nfFirstTemplate
    };
    enum TGroup { grWatch, grReview, grCombined, grTemplates };

    // withReview: the review entries are listed (their forms can be made).
    explicit TfmNewForm(bool withReview, QWidget* parent = nullptr);

    QLineEdit* leName;
    TGroupedIconList* lvForms;
    QPushButton* btnOK;
    QPushButton* btnCancel;

    // The selected entry's data (its kind, or nfFirstTemplate + the file's
    // index); -1 when none is selected.
    int SelectedIndex() const;
    QString SelectedCaption() const;
    // The template file of the selected entry; empty for a built-in one.
    QString GetSelectedFile() const;
    // The name edit's text, or the selected entry's caption when it is empty.
    QString FormName() const;
    // Selects the entry with that caption; false when none has it.
    bool SelectCaption(const QString& caption);

    // The folder of the templates: the user's home folder + "Templates/".
    static QString TemplatesFolder();

private:
    void AddTemplates();
    QStringList FFiles;
};

// The main window's new-form command: the gallery, then the chosen form is
// made (or the template opened) and the host's active-form rule applied.
void NewFormCommand(IWKFormsHost& host);

#pragma GCC visibility pop
