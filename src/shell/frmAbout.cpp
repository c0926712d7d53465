#include "shell/frmAbout.h"

#include "platform/MessageSeam.h"
#include "shell/AppInfo.h"
#include "shell/ShellIcons.h"
#include "ui/HandCursor.h"
#include "ui/LinkLabel.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QUrl>

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QCoreApplication::translate("frmAbout", "About ") + AppTitle());

    auto* layout = new QGridLayout(this);
    auto* image1 = new QLabel(this);
    image1->setObjectName(QStringLiteral("Image1"));
    image1->setPixmap(HushwireLogo(64));
    layout->addWidget(image1, 0, 0, 3, 1, Qt::AlignTop);

    auto* title = new QLabel(AppTitle(), this);
    title->setObjectName(QStringLiteral("lblTitle"));
    QFont big = title->font();
    big.setPointSize(big.pointSize() * 3 / 2);
    big.setBold(true);
    title->setFont(big);
    layout->addWidget(title, 0, 1);

    auto* version = new QLabel(appinfo::VersionText(), this);
    version->setObjectName(QStringLiteral("lblVersion"));
    layout->addWidget(version, 1, 1);

    auto* author = new QLabel(
        QCoreApplication::translate("frmAbout", "Written by the Hushwire developers."), this);
    author->setObjectName(QStringLiteral("lblAuthor"));
    layout->addWidget(author, 2, 1);

    // The project has no web site or mail address that could receive anything: the link leads
    // to the help page shipped with the program.
    auto* web = new LinkLabel(appinfo::MakerSiteName(), this);
    web->setObjectName(QStringLiteral("lblWeb"));
    web->setUrl(QUrl(appinfo::MakerWebAddress()));
    web->setLinkCursor(HandCursor());
    layout->addWidget(web, 3, 1);

    auto* legal = new QLabel(appinfo::LicenceText(), this);
    legal->setObjectName(QStringLiteral("lblLegal"));
    legal->setWordWrap(true);
    layout->addWidget(legal, 4, 0, 1, 2);
    // Over the window or the legal notice the pointer is the default one again.
    web->addCursorResetArea(this);
    web->addCursorResetArea(legal);
}
