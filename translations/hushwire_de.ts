<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de_DE">
<context>
    <name>AddFromLog</name>
    <message>
        <source>Plese select a Caller ID entry</source>
        <translation>Bitte wählen Sie einen Anrufer-ID-Eintrag aus</translation>
    </message>
    <message>
        <source>Add Caller ID To Black List</source>
        <translation>Anrufer-ID zur Sperrliste hinzufügen</translation>
    </message>
    <message>
        <source>Add to Telemarketing List</source>
        <translation>Zur Telefonwerbungsliste hinzufügen</translation>
    </message>
    <message>
        <source>Add to Private Block List</source>
        <translation>Zur privaten Sperrliste hinzufügen</translation>
    </message>
</context>
<context>
    <name>AppInfo</name>
    <message>
        <source>Version: %1.%2.%3</source>
        <translation>Version: %1.%2.%3</translation>
    </message>
    <message>
        <source>Hushwire help</source>
        <translation>Hushwire-Hilfe</translation>
    </message>
    <message>
        <source>Hushwire is free software: you can redistribute it and/or modify it under the terms of the GNU General Public License, version 3 or (at your option) any later version. It is provided as is, without warranty of any kind.</source>
        <translation>Hushwire ist freie Software: Sie können es unter den Bedingungen der GNU General Public License, Version 3 oder (nach Ihrer Wahl) jeder späteren Version, weitergeben und/oder verändern. Es wird so, wie es ist, ohne jede Gewährleistung bereitgestellt.</translation>
    </message>
</context>
<context>
    <name>AppShell</name>
    <message>
        <source>The settings are saved, but the Hushwire service did not take them up: it did not answer. They apply when it starts again.</source>
        <translation>Die Einstellungen sind gespeichert, aber der Hushwire-Dienst hat sie nicht übernommen: Er hat nicht geantwortet. Sie gelten, wenn er neu startet.</translation>
    </message>
    <message>
        <source>The Hushwire service does not answer, so its lines cannot be set up now. Start it again and try once more.</source>
        <translation>Der Hushwire-Dienst antwortet nicht, daher können seine Leitungen jetzt nicht eingerichtet werden. Starten Sie ihn neu und versuchen Sie es noch einmal.</translation>
    </message>
    <message>
        <source>View Call Logs</source>
        <translation>Anrufprotokolle anzeigen</translation>
    </message>
</context>
<context>
    <name>CallLog</name>
    <message>
        <source>create the log folder %1</source>
        <translation>den Protokollordner %1 nicht anlegen</translation>
    </message>
    <message>
        <source>the folder could not be created</source>
        <translation>der Ordner konnte nicht angelegt werden</translation>
    </message>
    <message>
        <source>open the log file %1</source>
        <translation>die Protokolldatei %1 nicht öffnen</translation>
    </message>
    <message>
        <source>write to the log file %1</source>
        <translation>nicht in die Protokolldatei %1 schreiben</translation>
    </message>
    <message>
        <source>Hushwire could not %1 (%2).

Calls are still screened and shown in the Incoming Call Log, but they are not saved to a file.</source>
        <translation>Hushwire konnte %1 (%2).

Anrufe werden weiter geprüft und im Protokoll eingehender Anrufe gezeigt, aber nicht in einer Datei gespeichert.</translation>
    </message>
</context>
<context>
    <name>CallStats</name>
    <message>
        <source>public list</source>
        <translation>öffentliche Liste</translation>
    </message>
    <message>
        <source>private list</source>
        <translation>private Liste</translation>
    </message>
    <message>
        <source>no number</source>
        <translation>keine Nummer</translation>
    </message>
    <message>
        <source>rules</source>
        <translation>Regeln</translation>
    </message>
</context>
<context>
    <name>CommandLine</name>
    <message>
        <source>
Try &apos;hushwire --help&apos;.</source>
        <translation>
Siehe &apos;hushwire --help&apos;.</translation>
    </message>
    <message>
        <source>the entry could not be saved.
</source>
        <translation>der Eintrag konnte nicht gespeichert werden.
</translation>
    </message>
    <message>
        <source>%1 is not in the %2 list</source>
        <translation>%1 steht nicht in der Liste %2</translation>
    </message>
    <message>
        <source>the entry could not be removed.
</source>
        <translation>der Eintrag konnte nicht entfernt werden.
</translation>
    </message>
    <message>
        <source>the file %1 could not be read (%2)</source>
        <translation>die Datei %1 konnte nicht gelesen werden (%2)</translation>
    </message>
    <message>
        <source>nothing was imported: the list could not be saved.
</source>
        <translation>nichts wurde importiert: die Liste konnte nicht gespeichert werden.
</translation>
    </message>
    <message>
        <source> records have been imported</source>
        <translation> Einträge wurden importiert</translation>
    </message>
    <message>
        <source>there is no phone entry in the public list to export</source>
        <translation>die öffentliche Liste enthält keine Nummer zum Exportieren</translation>
    </message>
    <message>
        <source>the share file could not be written.
</source>
        <translation>die Austauschdatei konnte nicht geschrieben werden.
</translation>
    </message>
    <message>
        <source>say which list: public or private</source>
        <translation>welche Liste: public oder private</translation>
    </message>
    <message>
        <source>wrong number of arguments for &apos;list %1&apos;</source>
        <translation>falsche Anzahl von Argumenten für &apos;list %1&apos;</translation>
    </message>
    <message>
        <source>unknown list command: &apos;list %1&apos;</source>
        <translation>unbekannter Listenbefehl: &apos;list %1&apos;</translation>
    </message>
    <message>
        <source>the date must be yy-mm-dd: &apos;%1&apos;</source>
        <translation>das Datum muss die Form jj-mm-tt haben: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>unknown log option: &apos;%1&apos;</source>
        <translation>unbekannte Option für log: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>no calls were logged on %1 (%2 does not exist)</source>
        <translation>am %1 wurden keine Anrufe protokolliert (%2 existiert nicht)</translation>
    </message>
    <message>
        <source>the log %1 could not be read</source>
        <translation>das Protokoll %1 konnte nicht gelesen werden</translation>
    </message>
    <message>
        <source>no Hushwire service is running (nothing answers at %1)</source>
        <translation>kein Hushwire-Dienst läuft (unter %1 antwortet nichts)</translation>
    </message>
    <message>
        <source>no command given</source>
        <translation>kein Befehl angegeben</translation>
    </message>
    <message>
        <source>unknown option: &apos;%1&apos;
</source>
        <translation>unbekannte Option: &apos;%1&apos;
</translation>
    </message>
    <message>
        <source>unknown command: &apos;%1&apos;
</source>
        <translation>unbekannter Befehl: &apos;%1&apos;
</translation>
    </message>
    <message>
        <source>Usage: hushwire [command]
Without a command Hushwire opens its window.

  --service                         screen calls without a display (a system service)
  list add public NUMBER            add a number to the public telemarketer list
  list add private NUMBER [NAME]    add a number (and name) to the private black list
  list remove public|private NUMBER remove a number from a list
  list show public|private          print a list, one entry a line
  list import FILE.pnd              merge a shared number database into the public list
  list export                       write your own public entries to a share file
  log [--follow] [--date yy-mm-dd]  print a day&apos;s call log (today&apos;s by default);
                                    --follow keeps printing lines as they are added
  rule show                         the screening rules, numbered, with their hits
  rule add block|allow number|name PATTERN [LABEL...]
                                    add a rule (PATTERN: 800*, 555123????, +4930*,
                                    &quot;SPAM RISK*&quot;, re:V[0-9]{15})
  rule remove N                     remove the rule numbered N by &apos;rule show&apos;
  rule test NUMBER [NAME]           what a call would meet, and what decides it
  rule import FILE.vcf              let every number of a contacts file ring
  status                            the running service&apos;s lines and their state
  --system COMMAND                  a list, log, rule or status command on the system
                                    service&apos;s folder and socket (as root or the
                                    hushwire user)
  stats [--days N]                  calls passed and blocked over the last N days (30)
  --version                         the version of Hushwire
  --help                            this text

A running service reads a list or the rules again as soon as its file changes.
Exit status: 0 done, 1 failed, 2 bad input.</source>
        <translation>Aufruf: hushwire [Befehl]
Ohne Befehl öffnet Hushwire sein Fenster.

  --service                         Anrufe ohne Bildschirm prüfen (als Systemdienst)
  list add public NUMMER            eine Nummer in die öffentliche Telefonwerbungsliste aufnehmen
  list add private NUMMER [NAME]    eine Nummer (und einen Namen) in die private Sperrliste aufnehmen
  list remove public|private NUMMER eine Nummer aus einer Liste entfernen
  list show public|private          eine Liste ausgeben, ein Eintrag pro Zeile
  list import DATEI.pnd             eine Nummerndatenbank in die öffentliche Liste übernehmen
  list export                       die eigenen öffentlichen Einträge in eine Austauschdatei schreiben
  log [--follow] [--date jj-mm-tt]  das Anrufprotokoll eines Tages ausgeben (standardmäßig heute);
                                    --follow gibt neue Zeilen aus, sobald sie hinzukommen
  rule show                         die Prüfregeln, nummeriert, mit ihren Treffern
  rule add block|allow number|name MUSTER [BEZEICHNUNG...]
                                    eine Regel hinzufügen (MUSTER: 800*, 555123????, +4930*,
                                    &quot;SPAM RISK*&quot;, re:V[0-9]{15})
  rule remove N                     die Regel mit der Nummer N aus &apos;rule show&apos; entfernen
  rule test NUMMER [NAME]           was ein Anruf träfe und was entscheidet
  rule import DATEI.vcf             jede Nummer einer Kontaktdatei klingeln lassen
  status                            die Leitungen des laufenden Dienstes und ihr Zustand
  --system BEFEHL                   ein list-, log-, rule- oder status-Befehl für Ordner und
                                    Socket des Systemdienstes (als root oder als Benutzer
                                    hushwire)
  stats [--days N]                  durchgelassene und gesperrte Anrufe der letzten N Tage (30)
  --version                         die Version von Hushwire
  --help                            dieser Text

Ein laufender Dienst liest eine Liste oder die Regeln neu ein, sobald sich ihre Datei ändert.
Rückgabewert: 0 erledigt, 1 fehlgeschlagen, 2 ungültige Eingabe.</translation>
    </message>
</context>
<context>
    <name>EntryDialog</name>
    <message>
        <source>Caller&apos;s Number:</source>
        <translation>Nummer des Anrufers:</translation>
    </message>
    <message>
        <source>Name:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Public Telemarketing List</source>
        <translation>Öffentliche Telefonwerbungsliste</translation>
    </message>
    <message>
        <source>Private Black List</source>
        <translation>Private Sperrliste</translation>
    </message>
    <message>
        <source>The telephone number field must be numeric</source>
        <translation>Das Feld Telefonnummer muss numerisch sein</translation>
    </message>
    <message>
        <source>The entry could not be saved.

</source>
        <translation>Der Eintrag konnte nicht gespeichert werden.

</translation>
    </message>
</context>
<context>
    <name>LineSetup</name>
    <message>
        <source>Compatibility problem with your modem and TAPI (Windows),please contact your modem provider</source>
        <translation>Kompatibilitätsproblem zwischen Ihrem Modem und der Telefonieschnittstelle, bitte wenden Sie sich an den Anbieter Ihres Modems</translation>
    </message>
    <message>
        <source>Line0 is opened by another application or modem setting incorrect,please reboot your computer</source>
        <translation>Line0 ist von einer anderen Anwendung geöffnet oder das Modem ist falsch eingestellt, bitte starten Sie Ihren Computer neu</translation>
    </message>
    <message>
        <source>Can not initialize callback message of line%1</source>
        <translation>Die Benachrichtigungen von Leitung %1 lassen sich nicht einrichten</translation>
    </message>
</context>
<context>
    <name>ListStore</name>
    <message>
        <source>The %1 list holds at most %2 entries.
Added: %3. Did not fit: %4.</source>
        <translation>Die %1 Liste fasst höchstens %2 Einträge.
Hinzugefügt: %3. Kein Platz mehr für: %4.</translation>
    </message>
    <message>
        <source>public telemarketer</source>
        <translation>öffentliche</translation>
    </message>
    <message>
        <source>private black</source>
        <translation>private</translation>
    </message>
    <message>
        <source>There is no entry %1 in the list.</source>
        <translation>Die Liste hat keinen Eintrag %1.</translation>
    </message>
</context>
<context>
    <name>ListWindow</name>
    <message>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Please select an entry</source>
        <translation>Bitte wählen Sie einen Eintrag aus</translation>
    </message>
    <message>
        <source>Delete Entry</source>
        <translation>Eintrag löschen</translation>
    </message>
    <message>
        <source>The list could not be saved; it is unchanged.

</source>
        <translation>Die Liste konnte nicht gespeichert werden; sie ist unverändert.

</translation>
    </message>
</context>
<context>
    <name>LogPrinter</name>
    <message>
        <source>The printer could not be started.</source>
        <translation>Der Drucker konnte nicht gestartet werden.</translation>
    </message>
    <message>
        <source>The document could not be finished.</source>
        <translation>Das Dokument konnte nicht abgeschlossen werden.</translation>
    </message>
</context>
<context>
    <name>OptionsStore</name>
    <message>
        <source>The start-with-system entry could not be written.
%1</source>
        <translation>Der Eintrag für den Start mit dem System konnte nicht geschrieben werden.
%1</translation>
    </message>
</context>
<context>
    <name>PrivateListWindow</name>
    <message>
        <source>Private Black List Setup</source>
        <translation>Private Sperrliste bearbeiten</translation>
    </message>
</context>
<context>
    <name>PromoPanel</name>
    <message>
        <source>Cool Stuff</source>
        <translation>Interessantes</translation>
    </message>
    <message>
        <source>Click to read about this title</source>
        <translation>Klicken, um mehr darüber zu lesen</translation>
    </message>
</context>
<context>
    <name>PromoTable</name>
    <message>
        <source>NCID - Network Caller ID: caller ID on every screen in the house</source>
        <translation>NCID - Network Caller ID: die Anrufer-ID auf jedem Bildschirm im Haus</translation>
    </message>
    <message>
        <source>Asterisk - the open source telephone exchange</source>
        <translation>Asterisk - die quelloffene Telefonanlage</translation>
    </message>
    <message>
        <source>FreePBX - run your home phone system from a web page</source>
        <translation>FreePBX - die Telefonanlage zu Hause über eine Webseite verwalten</translation>
    </message>
    <message>
        <source>FreeSWITCH - a free telephony platform for calls and voice mail</source>
        <translation>FreeSWITCH - eine freie Telefonieplattform für Anrufe und Sprachnachrichten</translation>
    </message>
    <message>
        <source>Linphone - free internet phone for desktop and mobile</source>
        <translation>Linphone - freies Internettelefon für Desktop und Mobilgerät</translation>
    </message>
    <message>
        <source>Twinkle - a SIP softphone for Linux</source>
        <translation>Twinkle - ein SIP-Softphone für Linux</translation>
    </message>
    <message>
        <source>Baresip - a small, modular SIP phone</source>
        <translation>Baresip - ein kleines, modulares SIP-Telefon</translation>
    </message>
    <message>
        <source>Jami - private calls without a central server</source>
        <translation>Jami - private Anrufe ohne zentralen Server</translation>
    </message>
    <message>
        <source>Jitsi Meet - free video calls in the browser</source>
        <translation>Jitsi Meet - freie Videoanrufe im Browser</translation>
    </message>
    <message>
        <source>Hushwire Modem Emulator - try call screening without a modem</source>
        <translation>Hushwire-Modememulator - Anrufsperre ohne Modem ausprobieren</translation>
    </message>
</context>
<context>
    <name>PublicListWindow</name>
    <message>
        <source>Public Telemarketing Black List Setup</source>
        <translation>Öffentliche Telefonwerbungs-Sperrliste bearbeiten</translation>
    </message>
    <message>
        <source>Double click to delete</source>
        <translation>Doppelklick zum Löschen</translation>
    </message>
    <message>
        <source>Export</source>
        <translation>Exportieren</translation>
    </message>
    <message>
        <source>This function will put your collection of telemarketer&apos;s phone number to a text file.</source>
        <translation>Diese Funktion schreibt Ihre gesammelten Nummern von Telefonwerbern in eine Textdatei.</translation>
    </message>
    <message>
        <source>Import</source>
        <translation>Importieren</translation>
    </message>
    <message>
        <source>Please download the newest telemarketer&apos;s phone number database and save to your hard disk. Then use this function to import to your own database.</source>
        <translation>Laden Sie die neueste Nummerndatenbank der Telefonwerber herunter und speichern Sie sie auf Ihrer Festplatte. Importieren Sie sie dann mit dieser Funktion in Ihre eigene Datenbank.</translation>
    </message>
    <message>
        <source>Sharing Project</source>
        <translation>Austauschprojekt</translation>
    </message>
    <message>
        <source>Join our Collection Sharing Project. You can download the newest telemarketer&apos;s phone number database file from </source>
        <translation>Machen Sie beim Austauschprojekt mit. Die neueste Nummerndatenbank der Telefonwerber erhalten Sie von </translation>
    </message>
    <message>
        <source> and then import to your own database. Also you may export your collections to a text file and send it to </source>
        <translation> und importieren sie dann in Ihre eigene Datenbank. Ebenso können Sie Ihre Sammlung in eine Textdatei exportieren und an </translation>
    </message>
    <message>
        <source> so that others can share your collection.</source>
        <translation> senden, damit andere Ihre Sammlung nutzen können.</translation>
    </message>
    <message>
        <source>Download the newest database here:</source>
        <translation>Die neueste Datenbank gibt es hier:</translation>
    </message>
</context>
<context>
    <name>PublicShareActions</name>
    <message>
        <source>Please select a file that downloaded from the database server</source>
        <translation>Bitte wählen Sie eine heruntergeladene Datenbankdatei aus</translation>
    </message>
    <message>
        <source>Phone Number Database File (*.pnd)</source>
        <translation>Nummerndatenbank (*.pnd)</translation>
    </message>
    <message>
        <source>The file could not be read:
</source>
        <translation>Die Datei konnte nicht gelesen werden:
</translation>
    </message>
    <message>
        <source>Nothing was imported: the list could not be saved.

</source>
        <translation>Nichts wurde importiert: Die Liste konnte nicht gespeichert werden.

</translation>
    </message>
    <message>
        <source> records have been imported</source>
        <translation> Einträge wurden importiert</translation>
    </message>
    <message>
        <source>There is no phone entry here</source>
        <translation>Hier gibt es keine Telefonnummer</translation>
    </message>
    <message>
        <source>The share file could not be written.

</source>
        <translation>Die Austauschdatei konnte nicht geschrieben werden.

</translation>
    </message>
    <message>
        <source>Your Public Telemarketing phone number has been exported to 
</source>
        <translation>Ihre Nummern der öffentlichen Telefonwerbungsliste wurden exportiert nach 
</translation>
    </message>
    <message>
        <source>

Please send this file to </source>
        <translation>

Bitte senden Sie diese Datei an </translation>
    </message>
    <message>
        <source>, thank you join us!</source>
        <translation>, danke fürs Mitmachen!</translation>
    </message>
</context>
<context>
    <name>RulesFromLog</name>
    <message>
        <source>Screening Rules</source>
        <translation>Prüfregeln</translation>
    </message>
    <message>
        <source>Plese select a Caller ID entry</source>
        <translation>Bitte wählen Sie einen Anrufer-ID-Eintrag aus</translation>
    </message>
    <message>
        <source>Always let this number ring</source>
        <translation>Diese Nummer immer klingeln lassen</translation>
    </message>
    <message>
        <source>Block numbers like this...</source>
        <translation>Ähnliche Nummern sperren...</translation>
    </message>
</context>
<context>
    <name>RunHushwire</name>
    <message>
        <source>Hushwire Is Already Running</source>
        <translation>Hushwire läuft bereits</translation>
    </message>
</context>
<context>
    <name>SettingsStore</name>
    <message>
        <source>The setting %1/%2 could not be saved to %3 (%4).

The program keeps running, but this setting may be lost.</source>
        <translation>Die Einstellung %1/%2 konnte nicht in %3 gespeichert werden (%4).

Das Programm läuft weiter, aber diese Einstellung geht möglicherweise verloren.</translation>
    </message>
    <message>
        <source>it could not be written: no permission, or the disk is full</source>
        <translation>sie konnte nicht geschrieben werden: keine Berechtigung oder der Datenträger ist voll</translation>
    </message>
    <message>
        <source>the file is not valid</source>
        <translation>die Datei ist ungültig</translation>
    </message>
    <message>
        <source>The setting %1/%2 was saved, but its line could not be added to the journal %3 (%4).</source>
        <translation>Die Einstellung %1/%2 wurde gespeichert, aber ihre Zeile konnte nicht an das Journal %3 angefügt werden (%4).</translation>
    </message>
    <message>
        <source>the folder could not be created</source>
        <translation>der Ordner konnte nicht angelegt werden</translation>
    </message>
</context>
<context>
    <name>SetupTexts</name>
    <message>
        <source>First ring comes</source>
        <translation>Das erste Klingeln kommt</translation>
    </message>
    <message>
        <source>Receive the Caller ID</source>
        <translation>Die Anrufer-ID wird empfangen</translation>
    </message>
    <message>
        <source>If Caller ID is in BLACK LIST then</source>
        <translation>Wenn die Anrufer-ID in der SPERRLISTE steht, dann</translation>
    </message>
    <message>
        <source>Hang up the call</source>
        <translation>Anruf beenden</translation>
    </message>
    <message>
        <source>Else</source>
        <translation>Sonst</translation>
    </message>
    <message>
        <source>Let this call goes on</source>
        <translation>Den Anruf weiterklingeln lassen</translation>
    </message>
    <message>
        <source>You will hear the next rings</source>
        <translation>Sie hören das nächste Klingeln</translation>
    </message>
    <message>
        <source>End If</source>
        <translation>Ende Wenn</translation>
    </message>
    <message>
        <source>First ring comes (you will not hear it)</source>
        <translation>Das erste Klingeln kommt (Sie hören es nicht)</translation>
    </message>
    <message>
        <source>A ring sound will be played through pc&apos;s speaker while each ring comes</source>
        <translation>Bei jedem Klingeln spielt der Lautsprecher des PCs einen Klingelton</translation>
    </message>
    <message>
        <source>Note: Caller ID message is sent from the telephone company between the first and the second ring.</source>
        <translation>Hinweis: Die Telefongesellschaft sendet die Anrufer-ID zwischen dem ersten und dem zweiten Klingeln.</translation>
    </message>
</context>
<context>
    <name>SharingProject</name>
    <message>
        <source>other Hushwire users (see the help page)</source>
        <translation>andere Hushwire-Nutzer (siehe Hilfeseite)</translation>
    </message>
</context>
<context>
    <name>SipLinesPanel</name>
    <message>
        <source>SIP lines follow the modems in the list above and take calls from the next start.</source>
        <translation>SIP-Leitungen folgen auf die Modems in der Liste oben und nehmen ab dem nächsten Start Anrufe an.</translation>
    </message>
    <message>
        <source>Sip%1  </source>
        <translation>Sip%1  </translation>
    </message>
    <message>
        <source>listening on </source>
        <translation>wartet auf </translation>
    </message>
    <message>
        <source> for </source>
        <translation> für </translation>
    </message>
    <message>
        <source>SIP Lines</source>
        <translation>SIP-Leitungen</translation>
    </message>
    <message>
        <source>Add...</source>
        <translation>Hinzufügen...</translation>
    </message>
    <message>
        <source>Edit...</source>
        <translation>Bearbeiten...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>There is room for %1 SIP lines; remove one first.</source>
        <translation>Es gibt Platz für %1 SIP-Leitungen; entfernen Sie zuerst eine.</translation>
    </message>
</context>
<context>
    <name>StatsCommand</name>
    <message>
        <source>unknown stats option: &apos;%1&apos;</source>
        <translation>unbekannte Option für stats: &apos;%1&apos;</translation>
    </message>
    <message>
        <source>the number of days must be from 1 to %1: &apos;%2&apos;</source>
        <translation>die Zahl der Tage muss zwischen 1 und %1 liegen: &apos;%2&apos;</translation>
    </message>
    <message>
        <source>Calls from %1 to %2: %3 passed, %4 blocked</source>
        <translation>Anrufe vom %1 bis %2: %3 durchgelassen, %4 gesperrt</translation>
    </message>
    <message>
        <source>Day        Passed  Blocked</source>
        <translation>Tag        Durchg. Gesperrt</translation>
    </message>
    <message>
        <source>Blocked most often:</source>
        <translation>Am häufigsten gesperrt:</translation>
    </message>
    <message>
        <source>  none</source>
        <translation>  keine</translation>
    </message>
    <message>
        <source>Blocked by reason:</source>
        <translation>Gesperrt nach Grund:</translation>
    </message>
</context>
<context>
    <name>UrlOpener</name>
    <message>
        <source>The file to open is missing:
</source>
        <translation>Die zu öffnende Datei fehlt:
</translation>
    </message>
</context>
<context>
    <name>cSysTray</name>
    <message>
        <source>System Tray Control</source>
        <translation>Symbol im Systembereich</translation>
    </message>
</context>
<context>
    <name>frmAbout</name>
    <message>
        <source>About </source>
        <translation>Über </translation>
    </message>
    <message>
        <source>Written by the Hushwire developers.</source>
        <translation>Geschrieben von den Hushwire-Entwicklern.</translation>
    </message>
</context>
<context>
    <name>frmMain</name>
    <message>
        <source>Hushwire - Freeware</source>
        <translation>Hushwire - Freeware</translation>
    </message>
    <message>
        <source>Incoming Call Log</source>
        <translation>Protokoll eingehender Anrufe</translation>
    </message>
    <message>
        <source>Cool Stuff</source>
        <translation>Interessantes</translation>
    </message>
    <message>
        <source>Setup</source>
        <translation>Einrichtung</translation>
    </message>
    <message>
        <source>Options</source>
        <translation>Optionen</translation>
    </message>
    <message>
        <source>Private Black List</source>
        <translation>Private Sperrliste</translation>
    </message>
    <message>
        <source>Public Telemarketer List</source>
        <translation>Öffentliche Telefonwerbungsliste</translation>
    </message>
    <message>
        <source>Logs</source>
        <translation>Protokolle</translation>
    </message>
    <message>
        <source>View Call Logs</source>
        <translation>Anrufprotokolle anzeigen</translation>
    </message>
    <message>
        <source>Call Statistics...</source>
        <translation>Anrufstatistik...</translation>
    </message>
    <message>
        <source>Help</source>
        <translation>Hilfe</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Online Help</source>
        <translation>Online-Hilfe</translation>
    </message>
    <message>
        <source>Thanks To...</source>
        <translation>Dank an...</translation>
    </message>
    <message>
        <source>Screening Rules...</source>
        <translation>Prüfregeln...</translation>
    </message>
</context>
<context>
    <name>frmRule</name>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>Muster</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>Add Rule</source>
        <translation>Regel hinzufügen</translation>
    </message>
</context>
<context>
    <name>frmRules</name>
    <message>
        <source>Screening Rules</source>
        <translation>Prüfregeln</translation>
    </message>
    <message>
        <source>Action</source>
        <translation>Aktion</translation>
    </message>
    <message>
        <source>Field</source>
        <translation>Feld</translation>
    </message>
    <message>
        <source>Pattern</source>
        <translation>Muster</translation>
    </message>
    <message>
        <source>Label</source>
        <translation>Bezeichnung</translation>
    </message>
    <message>
        <source>Hits</source>
        <translation>Treffer</translation>
    </message>
    <message>
        <source>Last hit</source>
        <translation>Letzter Treffer</translation>
    </message>
    <message>
        <source>Add...</source>
        <translation>Hinzufügen...</translation>
    </message>
    <message>
        <source>Edit...</source>
        <translation>Bearbeiten...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>Entfernen</translation>
    </message>
    <message>
        <source>Import Contacts...</source>
        <translation>Kontakte importieren...</translation>
    </message>
    <message>
        <source>Import Contacts</source>
        <translation>Kontakte importieren</translation>
    </message>
    <message>
        <source>Contacts (*.vcf *.vcard);;All files (*)</source>
        <translation>Kontakte (*.vcf *.vcard);;Alle Dateien (*)</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Test a caller:</source>
        <translation>Anrufer prüfen:</translation>
    </message>
    <message>
        <source>number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>name (optional)</source>
        <translation>Name (freiwillig)</translation>
    </message>
    <message>
        <source>Edit Rule</source>
        <translation>Regel bearbeiten</translation>
    </message>
    <message>
        <source>%1 could not be read: %2</source>
        <translation>%1 konnte nicht gelesen werden: %2</translation>
    </message>
    <message>
        <source>%1 added, %2 skipped</source>
        <translation>%1 hinzugefügt, %2 übersprungen</translation>
    </message>
    <message>
        <source>rule %1: %2</source>
        <translation>Regel %1: %2</translation>
    </message>
    <message>
        <source>rings</source>
        <translation>klingelt</translation>
    </message>
    <message>
        <source>blocked</source>
        <translation>gesperrt</translation>
    </message>
</context>
<context>
    <name>frmSetup</name>
    <message>
        <source>Setup</source>
        <translation>Einrichtung</translation>
    </message>
    <message>
        <source>Select Modem</source>
        <translation>Modem auswählen</translation>
    </message>
    <message>
        <source>Operating Mode</source>
        <translation>Betriebsart</translation>
    </message>
    <message>
        <source>Mode1</source>
        <translation>Modus 1</translation>
    </message>
    <message>
        <source>Mode2 (you should turn off the phone ringer, turn on pc&apos;s speaker)</source>
        <translation>Modus 2 (schalten Sie den Klingelton des Telefons aus und den Lautsprecher des PCs ein)</translation>
    </message>
    <message>
        <source>Additional Block Option </source>
        <translation>Weitere Sperroption </translation>
    </message>
    <message>
        <source>Block &apos;UNKOWN&apos; Calls</source>
        <translation>&apos;UNBEKANNTE&apos; Anrufe sperren</translation>
    </message>
    <message>
        <source>Unlock PIN Number</source>
        <translation>Entsperr-PIN</translation>
    </message>
    <message>
        <source>Startup Option</source>
        <translation>Startoption</translation>
    </message>
    <message>
        <source>Minimize On Startup</source>
        <translation>Beim Start minimieren</translation>
    </message>
    <message>
        <source>Load With System Starts</source>
        <translation>Mit dem System starten</translation>
    </message>
    <message>
        <source>Show a notification for each blocked call</source>
        <translation>Für jeden gesperrten Anruf eine Benachrichtigung zeigen</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Plese select a modem</source>
        <translation>Bitte wählen Sie ein Modem aus</translation>
    </message>
    <message>
        <source>Setup Complete</source>
        <translation>Einrichtung abgeschlossen</translation>
    </message>
    <message>
        <source>Screening</source>
        <translation>Prüfung</translation>
    </message>
    <message>
        <source>Only callers I allow ring</source>
        <translation>Nur Anrufer klingeln lassen, die ich erlaube</translation>
    </message>
    <message>
        <source>Quiet hours from</source>
        <translation>Ruhezeit von</translation>
    </message>
    <message>
        <source> min</source>
        <translation> Min.</translation>
    </message>
    <message>
        <source>A caller who keyed the PIN rings through this long; 0: never</source>
        <translation>So lange klingelt ein Anrufer durch, der die PIN eingegeben hat; 0: nie</translation>
    </message>
    <message>
        <source>to</source>
        <translation>bis</translation>
    </message>
    <message>
        <source>Call-back window</source>
        <translation>Rückruffenster</translation>
    </message>
</context>
<context>
    <name>frmSipLine</name>
    <message>
        <source>Add SIP Line</source>
        <translation>SIP-Leitung hinzufügen</translation>
    </message>
    <message>
        <source>Edit SIP Line</source>
        <translation>SIP-Leitung bearbeiten</translation>
    </message>
    <message>
        <source>Account</source>
        <translation>Account</translation>
    </message>
    <message>
        <source>sip:alice@sip.example.net; empty to listen for a PBX or adapter</source>
        <translation>sip:alice@sip.example.net; leer, um auf eine Telefonanlage oder einen Adapter zu warten</translation>
    </message>
    <message>
        <source>Listen</source>
        <translation>Listen</translation>
    </message>
    <message>
        <source>Allow</source>
        <translation>Allow</translation>
    </message>
    <message>
        <source>Transport</source>
        <translation>Transport</translation>
    </message>
    <message>
        <source>AuthUser</source>
        <translation>AuthUser</translation>
    </message>
    <message>
        <source>when it differs from the account</source>
        <translation>wenn er vom Account abweicht</translation>
    </message>
    <message>
        <source>Proxy</source>
        <translation>Proxy</translation>
    </message>
    <message>
        <source>Rewrite</source>
        <translation>Rewrite</translation>
    </message>
    <message>
        <source>+1: or +44:0</source>
        <translation>+1: oder +49:0</translation>
    </message>
    <message>
        <source>Password</source>
        <translation>Passwort</translation>
    </message>
    <message>
        <source>leave empty to keep the stored password</source>
        <translation>leer lassen, um das gespeicherte Passwort zu behalten</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <source>Transfer</source>
        <translation>Weiterleitung</translation>
    </message>
    <message>
        <source>sip:600@pbx.example.net; where a caller with the PIN is put through</source>
        <translation>sip:600@pbx.example.net; wohin ein Anrufer mit der PIN verbunden wird</translation>
    </message>
</context>
<context>
    <name>frmSplash</name>
    <message>
        <source>Freeware</source>
        <translation>Freeware</translation>
    </message>
    <message>
        <source>FOR WINDOWS9X/ME/2000/XP</source>
        <translation>FÜR WINDOWS9X/ME/2000/XP</translation>
    </message>
    <message>
        <source>Hushwire Software</source>
        <translation>Hushwire Software</translation>
    </message>
    <message>
        <source>by the Hushwire developers</source>
        <translation>von den Hushwire-Entwicklern</translation>
    </message>
</context>
<context>
    <name>frmStats</name>
    <message>
        <source>Call Statistics</source>
        <translation>Anrufstatistik</translation>
    </message>
    <message>
        <source>Number</source>
        <translation>Nummer</translation>
    </message>
    <message>
        <source>Blocked</source>
        <translation>Gesperrt</translation>
    </message>
    <message>
        <source>Reason</source>
        <translation>Grund</translation>
    </message>
    <message>
        <source>Calls</source>
        <translation>Anrufe</translation>
    </message>
    <message>
        <source>Share</source>
        <translation>Anteil</translation>
    </message>
    <message>
        <source>Blocked most often</source>
        <translation>Am häufigsten gesperrt</translation>
    </message>
    <message>
        <source>Blocked by reason</source>
        <translation>Gesperrt nach Grund</translation>
    </message>
    <message>
        <source>Passed</source>
        <translation>Durchgelassen</translation>
    </message>
    <message>
        <source>Calls per day, %1 to %2</source>
        <translation>Anrufe pro Tag, %1 bis %2</translation>
    </message>
</context>
<context>
    <name>frmThanks</name>
    <message>
        <source>Special Thanks To ...</source>
        <translation>Besonderer Dank an ...</translation>
    </message>
    <message>
        <source>Special Thanks to:</source>
        <translation>Besonderer Dank an:</translation>
    </message>
    <message>
        <source>Everyone who tried early versions, reported a modem that would not answer, sent in a telemarketer&apos;s number or simply told a friend: thank you for your support.</source>
        <translation>Alle, die frühe Versionen ausprobiert, ein Modem gemeldet haben, das nicht antwortete, die Nummer eines Telefonwerbers eingeschickt oder einfach einem Freund davon erzählt haben: danke für Ihre Unterstützung.</translation>
    </message>
    <message>
        <source>And to Margaret, who answered one sales call too many.</source>
        <translation>Und an Margaret, die einen Werbeanruf zu viel angenommen hat.</translation>
    </message>
    <message>
        <source>Together we do make a difference!</source>
        <translation>Gemeinsam bewirken wir etwas!</translation>
    </message>
</context>
<context>
    <name>frmViewLog</name>
    <message>
        <source>View Call Logs</source>
        <translation>Anrufprotokolle anzeigen</translation>
    </message>
    <message>
        <source>Print</source>
        <translation>Drucken</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Protokoll</translation>
    </message>
    <message>
        <source>Display</source>
        <translation>Anzeigen</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <source>Print Log</source>
        <translation>Protokoll drucken</translation>
    </message>
    <message>
        <source>Please select a log file</source>
        <translation>Bitte wählen Sie eine Protokolldatei aus</translation>
    </message>
    <message>
        <source>No printer is set up on this computer, so the log cannot be printed. Add a printer in the system&apos;s printer settings and try again.</source>
        <translation>Auf diesem Computer ist kein Drucker eingerichtet, daher kann das Protokoll nicht gedruckt werden. Richten Sie in den Druckereinstellungen des Systems einen Drucker ein und versuchen Sie es erneut.</translation>
    </message>
    <message>
        <source>The log could not be printed. %1</source>
        <translation>Das Protokoll konnte nicht gedruckt werden. %1</translation>
    </message>
    <message>
        <source>The log file %1 is already open: Hushwire is writing today&apos;s calls into it, so it cannot be deleted.</source>
        <translation>Die Protokolldatei %1 ist bereits geöffnet: Hushwire schreibt die heutigen Anrufe hinein, daher kann sie nicht gelöscht werden.</translation>
    </message>
    <message>
        <source>Callmere</source>
        <translation>Callmere</translation>
    </message>
</context>
</TS>
