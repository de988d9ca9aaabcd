#pragma once
// A push button drawn from face pictures (normal, pressed, disabled) with a text over it, like
// the owner-drawn image button of the Windows dialogs. Its size is the face's size.
#include "ui/DialogLook.h"

#include <QAbstractButton>
#include <QFont>
#include <QPixmap>
#include <QString>
#include <vector>

class QtImageButton : public QAbstractButton {
  public:
    explicit QtImageButton(QWidget* parent);

    // Resource ids; 0 for pressed or disabled means that face is missing.
    void setBitmaps(int normalId, int pressedId, int disabledId);
    void setFont(const char* faceName, int cellHeight);
    void setTextPosition(int x, int y);
    void setTextColors(Rgb enabled, Rgb disabled);

    int imageCount() const { return static_cast<int>(images_.size()); }
    QSize sizeHint() const override;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    std::vector<QPixmap> images_;
    QSize faceSize_;
    QFont font_;
    Rgb textColor_ = rgb(255, 255, 255);
    Rgb disabledTextColor_ = rgb(255, 255, 255);
    int textX_ = -1;
    int textY_ = -1;
};

// The configuration every dialog's image buttons share, with the text and where it starts.
void configureStandardButton(QtImageButton& button, const QString& text, int textX, int textY);
