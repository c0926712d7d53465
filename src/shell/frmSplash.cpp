#include "shell/frmSplash.h"

#include "platform/MessageSeam.h"
#include "shell/ShellIcons.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QTimer>

namespace {
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    return label;
}
} // namespace

frmSplash::frmSplash(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_timer1(new QTimer(this)) {
    setObjectName(QStringLiteral("frmSplash"));
    setStyleSheet(QStringLiteral("frmSplash { background: white; border: 2px solid #1f4e79; }"));

    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(24, 24, 24, 24);
    auto* imgLogo = makeLabel(this, "imgLogo", QString());
    imgLogo->setPixmap(HushwireLogo(96));
    layout->addWidget(imgLogo, 0, 0, 4, 1);

    m_productName = makeLabel(this, "lblProductName", QString());
    QFont big = m_productName->font();
    big.setPointSize(big.pointSize() * 2);
    big.setBold(true);
    m_productName->setFont(big);
    layout->addWidget(m_productName, 0, 1);
    layout->addWidget(
        makeLabel(this, "lblVersion", QCoreApplication::translate("frmSplash", "Freeware")), 1, 1);
    layout->addWidget(
        makeLabel(this, "lblPlatform",
                  QCoreApplication::translate("frmSplash", "FOR WINDOWS9X/ME/2000/XP")),
        2, 1);
    layout->addWidget(makeLabel(this, "lblCompany",
                                QCoreApplication::translate("frmSplash", "Hushwire Software")),
                      3, 1);
    layout->addWidget(
        makeLabel(this, "lblAuthor",
                  QCoreApplication::translate("frmSplash", "by the Hushwire developers")),
        4, 1);

    m_timer1->setObjectName(QStringLiteral("Timer1"));
    m_timer1->setInterval(kShowMs);
    connect(m_timer1, &QTimer::timeout, this, &frmSplash::onTimer1);
    m_timer1->start();
}

void frmSplash::load() {
    show();
    QCoreApplication::processEvents();
    m_productName->setText(AppTitle());
    QCoreApplication::processEvents();
}

void frmSplash::onTimer1() {
    // Runs once: the splash is gone from the screen before the main window loads. The object
    // itself is deleted only afterwards, since letting events run here could otherwise delete
    // it in the middle of this handler.
    m_timer1->stop();
    close();
    QCoreApplication::processEvents();
    Q_EMIT finished();
    deleteLater();
}
