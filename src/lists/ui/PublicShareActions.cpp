#include "lists/ui/PublicShareActions.h"

#include "lists/ImportRules.h"
#include "lists/ListFiles.h"
#include "lists/ListStore.h"
#include "lists/ui/FileChooser.h"
#include "lists/ui/ListWindows.h"
#include "lists/ui/PublicListWindow.h"
#include "lists/ui/SharingProject.h"
#include "platform/MessageSeam.h"
#include "platform/SafeWrite.h"
#include "platform/time/Clock.h"
#include "ui/UrlOpener.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>

void ImportDatabaseFile(PublicListWindow& window) {
    ListWindows& registry = window.registry();
    const QString path = ChooseFileToOpen(
        &window,
        QCoreApplication::translate(
            "PublicShareActions", "Please select a file that downloaded from the database server"),
        registry.folder(),
        QCoreApplication::translate("PublicShareActions", "Phone Number Database File (*.pnd)"));
    if (path.isEmpty())
        return;

    // A name of a file that does not exist imports nothing; a file that exists but cannot be
    // read is an error, not an empty database.
    QByteArray data;
    QFile file(path);
    if (file.exists()) {
        if (!file.open(QIODevice::ReadOnly)) {
            ShowMessage(
                QCoreApplication::translate("PublicShareActions", "The file could not be read:\n") +
                    QDir::toNativeSeparators(path) + QStringLiteral("\n") + file.errorString(),
                AppTitle(), MessageIcon::Critical);
            return;
        }
        data = file.read(kMaxDatabaseRecords * listfile::kPublicRecordSize);
        file.close();
    }

    qint64 added = 0;
    qint64 refused = 0;
    QString error;
    if (!window.store().importPublic(ReadDatabaseRecords(data), &added, &refused, &error)) {
        ShowMessage(
            QCoreApplication::translate("PublicShareActions",
                                        "Nothing was imported: the list could not be saved.\n\n") +
                error,
            AppTitle(), MessageIcon::Critical);
        return;
    }
    QString text = QLatin1Char(' ') + QString::number(added) +
                   QCoreApplication::translate("PublicShareActions", " records have been imported");
    if (refused > 0)
        text += QStringLiteral("\n\n") + ListStore::CapacityText(ListKind::Public, added, refused);
    ShowMessage(text, AppTitle(), refused > 0 ? MessageIcon::Warning : MessageIcon::Information);
}

namespace {
// The share file is named after the millisecond tick count taken as a signed 32-bit number, so
// names stay as short as the ones other users of the sharing project send.
QString shareFilePath(const ListWindows& registry) {
    const auto tick = static_cast<qint32>(static_cast<quint32>(registry.clock().tickMs()));
    return QDir(registry.folder())
        .filePath(QStringLiteral("share") + QString::number(tick) + QStringLiteral(".txt"));
}
} // namespace

void ExportShareFile(PublicListWindow& window) {
    const QListWidget* list = window.list();
    if (list->count() == 0) {
        ShowMessage(
            QCoreApplication::translate("PublicShareActions", "There is no phone entry here"),
            AppTitle(), MessageIcon::Information);
        return;
    }
    // The user's own entries stand above the first taken-over (negative) one.
    QByteArray text;
    for (int i = 0; i < list->count(); ++i) {
        const QString item = list->item(i)->text();
        if (item.startsWith(QLatin1Char('-')))
            break;
        text += item.toLatin1();
        text += "\r\n";
    }
    const QString path = shareFilePath(window.registry());
    QString error;
    if (!WriteFileAtomically(path, text, &error)) {
        ShowMessage(QCoreApplication::translate("PublicShareActions",
                                                "The share file could not be written.\n\n") +
                        error,
                    AppTitle(), MessageIcon::Critical);
        return;
    }
    OpenUrl(QUrl::fromLocalFile(path));
    ShowMessage(
        QCoreApplication::translate(
            "PublicShareActions",
            "Your Public Telemarketing phone number has been exported to \n") +
            QDir::toNativeSeparators(path) +
            QCoreApplication::translate("PublicShareActions", "\n\nPlease send this file to ") +
            sharing::ShareAddress() +
            QCoreApplication::translate("PublicShareActions", ", thank you join us!"),
        AppTitle(), MessageIcon::Information);
}
