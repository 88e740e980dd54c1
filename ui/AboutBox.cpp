#include "ui/AboutBox.h"

#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

#include "core/Findings.h"
#include "core/Version.h"
#include "core/WindowModel.h"
#include "ui/Fonts.h"
#include "ui/QtConvert.h"

namespace parvex {

TfAbout::TfAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("fAbout"));
    setModal(true);
    setFixedSize(326, 153);
    setFont(designFont(12, FontPitch::Proportional));

    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setGeometry(16, 8, 289, 100);

    auto* name = new QLabel(QStringLiteral("  ") + qtText(kProgramName), panel);
    name->setObjectName(QStringLiteral("Label3"));
    name->setFont(designFont(16, FontPitch::Proportional));
    QPalette blue = name->palette();
    blue.setColor(QPalette::WindowText, qtColour(Colour::Blue));
    name->setPalette(blue);
    name->move(32, 8);
    name->adjustSize();

    auto* version = new QLabel(QStringLiteral("Version ") + qtText(kProgramVersion), panel);
    version->setObjectName(QStringLiteral("V_Label"));
    version->setFont(designFont(13, FontPitch::Proportional, FontWeight::Bold));
    version->move(104, 32);
    version->adjustSize();

    auto* ok = new QPushButton(qtText(firstCopy(Msg::VerdictOk, Language::English)), this);
    ok->setObjectName(QStringLiteral("bOK"));
    ok->setGeometry(128, 120, 75, 25);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

void TfAbout::showCentred(const QString& caption) {
    setWindowTitle(caption);
    if (const QScreen* screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    exec();
}

}  // namespace parvex
