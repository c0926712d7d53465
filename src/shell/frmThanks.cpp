#include "shell/frmThanks.h"

#include <QCoreApplication>
#include <QLabel>
#include <QVBoxLayout>

frmThanks::frmThanks(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmThanks"));
    setWindowTitle(QCoreApplication::translate("frmThanks", "Special Thanks To ..."));
    auto* layout = new QVBoxLayout(this);
    auto* heading =
        new QLabel(QCoreApplication::translate("frmThanks", "Special Thanks to:"), this);
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    layout->addWidget(heading);
    auto* paragraph = new QLabel(
        QCoreApplication::translate(
            "frmThanks", "Everyone who tried early versions, reported a modem that would not "
                         "answer, sent in a telemarketer's number or simply told a friend: "
                         "thank you for your support."),
        this);
    paragraph->setWordWrap(true);
    layout->addWidget(paragraph);
    layout->addWidget(
        new QLabel(QCoreApplication::translate(
                       "frmThanks", "And to Margaret, who answered one sales call too many."),
                   this));
    layout->addWidget(new QLabel(
        QCoreApplication::translate("frmThanks", "Together we do make a difference!"), this));
}
