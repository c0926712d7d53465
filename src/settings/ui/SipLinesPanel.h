#pragma once

#include "telephony/sip/SipLineConfig.h"

#include <QGroupBox>
#include <QList>

class QLabel;
class QListWidget;
class SipSecrets;

// The setup window's list of SIP lines (groups Sip1..Sip4 of the settings file), with a way to
// add, edit and remove one. Each change is written at once: the settings to the file, the
// password to the secret store and never to the file. Lines take calls from the next start.
class SipLinesPanel : public QGroupBox {
    Q_OBJECT
public:
    explicit SipLinesPanel(SettingsFileRef settingsFile, QWidget* parent = nullptr);
    ~SipLinesPanel() override;

    // The lines as the settings file holds them now.
    const QList<SipLineConfig>& lines() const { return m_lines; }

private:
    void reload();
    void addLine();
    void editLine();
    void removeLine();
    // Shows the dialog for the line; on OK stores it and its password (when one was entered).
    void runDialog(const SipLineConfig& line, bool adding);
    void storePassword(int group, const QString& password);

    SettingsFileRef m_settingsFile;
    SipSecrets* m_secrets = nullptr;
    QList<SipLineConfig> m_lines;
    QListWidget* m_lstSip = nullptr;
    QLabel* m_lblSipNote = nullptr;
};
