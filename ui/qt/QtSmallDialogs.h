#pragma once
// The About box, the completion notice and the model selection list, as Qt dialogs.
#include "ui/SelectPrinterPresenter.h"

#include <QDialog>

class QListWidget;
class QtImageButton;

// Template 100: a standard dialog with a caption; OK, Enter and Escape close it.
class QtAboutDialog : public QDialog {
  public:
    explicit QtAboutDialog(QWidget* parent);
};

// Template 151: the notice to watch the printer's LED, with one OK button. Captionless, moved
// by its background; Enter and Escape close it as any dialog.
class QtCompletionDialog : public QDialog {
  public:
    explicit QtCompletionDialog(QWidget* parent);
    QtImageButton* okButton() const { return ok_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QtImageButton* ok_;
};

// Template 153: one click (or arrow key) on a model chooses it and closes the dialog; Enter
// accepts without a choice, Escape cancels.
class QtSelectPrinterDialog : public QDialog {
  public:
    QtSelectPrinterDialog(SelectPrinterPresenter& presenter, QWidget* parent);
    QListWidget* modelList() const { return list_; }

  protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    SelectPrinterPresenter& presenter_;
    QListWidget* list_;
};
