#include "ui/SelectPrinterPresenter.h"

#include "models/ModelTable.h"

std::vector<ModelChoice> modelTableChoices() {
    std::vector<ModelChoice> models;
    for (const ModelRow& row : namedModelRows()) {
        models.push_back({std::string(row.name), row.code});
    }
    return models;
}

SelectPrinterPresenter::SelectPrinterPresenter(std::vector<ModelChoice> models)
    : models_(std::move(models)) {}

std::vector<std::string> SelectPrinterPresenter::entries() const {
    std::vector<std::string> names;
    names.reserve(models_.size());
    for (const ModelChoice& model : models_) {
        names.push_back(model.name);
    }
    return names;
}

void SelectPrinterPresenter::onSelectionChanged(const std::string& entryText) {
    chosenModelName = entryText;
    chosenModelCode = models_.empty() ? 0 : models_.front().code;
    for (const ModelChoice& model : models_) {
        if (model.name == entryText) {
            chosenModelCode = model.code;
            return;
        }
    }
}

void SelectPrinterPresenter::onAcceptedWithoutSelection() {
    if (chosenModelName.empty() && !models_.empty()) {
        onSelectionChanged(models_.front().name);
    }
}
