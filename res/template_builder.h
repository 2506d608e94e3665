#pragma once

#include <QString>
#include <QWidget>
#include <cstddef>
#include <vector>

#include "res/dialog_template.h"

class QDialog;

// The widgets made from one template, in template order, looked up by control identifier.
class TemplateControls {
  public:
    void Add(int id, QWidget* widget);
    // The first control with this identifier, or nullptr.
    QWidget* Find(int id) const;
    template <class Widget>
    Widget* Get(int id) const {
        return qobject_cast<Widget*>(Find(id));
    }
    const std::vector<QWidget*>& InOrder() const { return widgets; }

  private:
    std::vector<int> ids;
    std::vector<QWidget*> widgets;
};

// objectName of a control: its symbolic name when it has one, "control<id>" when it has an
// identifier, otherwise "static<index>" with its index in the template.
QString ControlObjectName(const ControlTemplate& control, std::size_t index);
QString ControlObjectName(int id);

// Lays `dialog` out from `dialogTemplate`: caption, dialog font, fixed client size, a title bar
// without system menu (no close, minimise or maximise box), and one child widget per control
// at its rectangle mapped to pixels, with the tab order of the template. Edits are QLineEdit,
// labels QLabel, list views QTreeWidget without root decoration, progress bars QProgressBar.
TemplateControls BuildDialogFromTemplate(QDialog& dialog, const DialogTemplate& dialogTemplate);
