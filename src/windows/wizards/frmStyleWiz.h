#pragma once
// The style wizard's window: three pages with hidden tabs (start, style
// editor with its live sample, style list) over a row of wizard buttons. The
// window only shows the state of a TStyleWizard and forwards the user's
// actions to it; the library file is written when Finish is answered with Yes.

#include "styles/StyleSample.h"
#include "styles/StyleWizard.h"

#include <QDialog>
#include <QMessageBox>
#include <functional>

class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QStackedWidget;
class QToolButton;

namespace wobbin {

class THtmlViewer;
class TColourSwatch;

class TfrmStyleWiz : public QDialog
{
    Q_OBJECT

public:
    // appDir: the program folder holding "Styles.data" and "HTMLFiles";
    // styles: the main window's style list, copied.
    TfrmStyleWiz(const QString &appDir, const StyleList &styles, QWidget *parent = nullptr);
    ~TfrmStyleWiz() override;

    // The wizard's state (pages, working copy, style edited).
    const TStyleWizard &Wizard() const { return m_wizard; }
    // True once Finish wrote the library file.
    bool LibraryWritten() const { return m_written; }
    // The sample text shown last.
    QString SampleHTML() const;
    QString HTMLFolder() const { return m_htmlFolder; }

    // ---- handlers
    void NextButtClick();
    void BackButtClick();
    void FinishButtClick();
    void CancelButtClick();
    void butHelpClick();
    void radAddClick();
    void radModifyClick();
    void radDeleteClick();
    void lstStylesClick();
    void txtStyleNameChange();
    void txtImgFilenameChange();
    void spdImgFileClick();
    void butClearClick();
    void pnlBackClick();
    void pnlDocClick();
    void pnlStandardClick();
    void pnlActiveClick();
    void pnlVisitedClick();
    void butDeleteClick();
    void spbMoveClick(int step);

    // ---- helpers
    QMessageBox::StandardButton AskForSave();
    void UpdateHTML();
    void RefreshHTML();
    QString CreateHTML();
    bool SaveFromHTML(const QString &path);
    void SetColours();
    void ShowFinish();
    void ClearStyle();
    void ShowStyles();
    void ShowMyDetails();
    void RemoveStyle(int index);
    bool WriteStylesToFile();

    // ---- controls, by their names
    QPushButton *butHelp = nullptr;
    QPushButton *BackButt = nullptr;
    QPushButton *NextButt = nullptr;
    QPushButton *FinishButt = nullptr;
    QPushButton *CancelButt = nullptr;
    QStackedWidget *PageControl1 = nullptr;
    QWidget *tab1 = nullptr;
    QWidget *tab2 = nullptr;
    QWidget *tab3 = nullptr;
    // start page
    QLabel *imgWizard = nullptr;
    QLabel *lblWelcome = nullptr;
    QLabel *lblAbout = nullptr;
    QLabel *lblChoose = nullptr;
    QLabel *lblQuestion = nullptr;
    QRadioButton *radAdd = nullptr;
    QRadioButton *radModify = nullptr;
    QRadioButton *radDelete = nullptr;
    // style editor
    QLabel *lblName = nullptr;
    QLineEdit *txtStyleName = nullptr;
    QGroupBox *grpBack = nullptr;
    QLabel *lblImg = nullptr;
    QLineEdit *txtImgFilename = nullptr;
    QToolButton *spdImgFile = nullptr;
    QPushButton *butClear = nullptr;
    TColourSwatch *pnlBack = nullptr;
    QLabel *lblColour = nullptr;
    QGroupBox *grpLinks = nullptr;
    TColourSwatch *pnlDoc = nullptr;
    TColourSwatch *pnlStandard = nullptr;
    TColourSwatch *pnlActive = nullptr;
    TColourSwatch *pnlVisited = nullptr;
    QLabel *lblDocText = nullptr;
    QLabel *lblStandard = nullptr;
    QLabel *lblActive = nullptr;
    QLabel *lblVisited = nullptr;
    THtmlViewer *ctlHTML = nullptr;
    // style list
    QLabel *lblMsg1 = nullptr;
    QListWidget *lstStyles = nullptr;
    QPushButton *butDelete = nullptr;
    QToolButton *spbUp = nullptr;
    QToolButton *spbDown = nullptr;
    QLabel *lblDelete = nullptr;
    QLabel *lblModify = nullptr;
    QLabel *lblMsg2 = nullptr;

protected:
    void reject() override;

private:
    void FormCreate();
    void BuildStartPage();
    void BuildEditorPage();
    void BuildListPage();
    void ShowState();
    void NameControls();
    void SwatchClick(TColourSwatch *swatch, TStyleSwatch which);
    // Asks whether a name used twice may stay; false sends the user back.
    bool KeepDuplicateNames(const StyleList &styles);

    TStyleWizard m_wizard;
    QString m_appDir;
    QString m_htmlFolder;
    TStyleSampleWords m_words;
    QString m_sampleHTML;   // the sample page text (CR LF line ends kept)
    bool FillingFields = false;
    bool m_written = false;
};

// Runs the style wizard modally over parent on a copy of styles. Returns true
// when the library file ("Styles.data" in appDir) was written, so that the
// caller reads it again.
bool RunStyleWizard(QWidget *parent, const QString &appDir, const StyleList &styles);

} // namespace wobbin
