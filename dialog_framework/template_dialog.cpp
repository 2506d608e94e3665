#include "dialog_framework/template_dialog.h"

#include <QPushButton>
#include <QShowEvent>

#include "dialog_framework/data_exchange.h"
#include "res/resource_ids.h"

TemplateDialog::TemplateDialog(QWidget* parent, const DialogTemplate& dialogTemplate)
    : QDialog(parent), controls(BuildDialogFromTemplate(*this, dialogTemplate)) {
    if (auto* ok = controls.Get<QPushButton>(IDOK)) {
        connect(ok, &QPushButton::clicked, this, [this] { OnOK(); });
    }
    if (auto* cancel = controls.Get<QPushButton>(IDCANCEL)) {
        connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    }
}

int TemplateDialog::DoModal() {
    return exec() == QDialog::Accepted ? IDOK : IDCANCEL;
}

bool TemplateDialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void TemplateDialog::DoDataExchange(DataExchange&) {}

bool TemplateDialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void TemplateDialog::OnOK() {
    if (UpdateData(true)) {
        accept();
    }
}

void TemplateDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (initialised || event->spontaneous()) {
        return;
    }
    initialised = true;
    if (OnInitDialog()) {
        for (QWidget* widget : controls.InOrder()) {
            if ((widget->focusPolicy() & Qt::TabFocus) != 0 && widget->isEnabled()) {
                widget->setFocus(Qt::TabFocusReason);
                break;
            }
        }
    }
}
