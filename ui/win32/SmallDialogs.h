#pragma once
// The About box, the completion notice and the model selection list.
#include "ui/SelectPrinterPresenter.h"
#include "ui/win32/ImageButton.h"
#include "ui/win32/ModalDialog.h"

// Template 100: standard behaviour; its second line says where the log goes (beside the
// program, or the user's own folder when the program's may not be written).
class AboutDialog : public ModalDialog {
  public:
    AboutDialog();

  protected:
    BOOL onInitDialog() override;
};

// Template 151: the notice to watch the printer's LED, with one OK button.
class CompletionDialog : public ModalDialog {
  public:
    CompletionDialog();

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  private:
    ImageButton okButton_;
};

// Template 153: one click on a model chooses it and closes the dialog.
class SelectPrinterDialog : public ModalDialog {
  public:
    explicit SelectPrinterDialog(SelectPrinterPresenter& presenter);

  protected:
    BOOL onInitDialog() override;
    bool onCommand(int id, int code) override;
    INT_PTR onMessage(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  private:
    SelectPrinterPresenter& presenter_;
};
