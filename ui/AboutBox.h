#pragma once

#include <QDialog>

namespace parvex {

// The About box: program name and version, closed by its OK button.
class TfAbout : public QDialog {
    Q_OBJECT

public:
    explicit TfAbout(QWidget* parent = nullptr);

    // Shows the box modally in the middle of the screen under the given caption.
    void showCentred(const QString& caption);
};

}  // namespace parvex
