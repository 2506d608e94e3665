#pragma once

#include <QDialog>

#include "res/dialog_template.h"
#include "res/template_builder.h"

class DataExchange;
class QShowEvent;

// A dialog laid out from a template, with the life of a classic modal dialog: OnInitDialog
// once before it first shows, a data exchange between controls and members (UpdateData), OK
// through OnOK, and Cancel or Escape closing it with nothing read back.
class TemplateDialog : public QDialog {
    Q_OBJECT

  public:
    TemplateDialog(QWidget* parent, const DialogTemplate& dialogTemplate);

    // Runs the dialog modally; IDOK (1) when it ends with OK, IDCANCEL (2) otherwise.
    int DoModal();

    // true: controls to members with validation; false: members to controls. Returns false
    // when a field was refused (its message has then been shown).
    bool UpdateData(bool saveAndValidate);

  protected:
    virtual void DoDataExchange(DataExchange& dx);
    // Runs once before the dialog first shows; loads the controls. Returning true puts the
    // focus on the first tab stop.
    virtual bool OnInitDialog();
    // The OK button and Enter: closes with OK when the controls validate.
    virtual void OnOK();

    const TemplateControls& Controls() const { return controls; }

    void showEvent(QShowEvent* event) override;

  private:
    TemplateControls controls;
    bool initialised = false;
};
