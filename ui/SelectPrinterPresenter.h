#pragma once
// The model selection dialog: lists the models that can be chosen by name and turns the
// selected entry into a model code.
#include <cstdint>
#include <string>
#include <vector>

struct ModelChoice {
    std::string name;
    int32_t code = 0;
};

// The models of the model table, in its order.
std::vector<ModelChoice> modelTableChoices();

class SelectPrinterPresenter {
  public:
    explicit SelectPrinterPresenter(std::vector<ModelChoice> models);

    // Entries of the list, in table order (the list is not sorted).
    std::vector<std::string> entries() const;

    // A selection change: the entry's text becomes the chosen name; its code is the code of the
    // first model of that exact name, or the first model's code when none matches.
    void onSelectionChanged(const std::string& entryText);
    // Enter before any selection: the first entry is taken as the choice, so the main window
    // never goes on with an empty model.
    void onAcceptedWithoutSelection();

    int32_t chosenModelCode = 0;
    std::string chosenModelName;

  private:
    std::vector<ModelChoice> models_;
};
