#include "rules/ui/RulesFromLog.h"

#include "calllog/ui/AddFromLog.h"
#include "platform/MessageSeam.h"
#include "rules/RuleFiles.h"
#include "rules/ui/frmRule.h"

#include <QAction>
#include <QCoreApplication>
#include <QListWidget>
#include <QMenu>

namespace {
QString Title() {
    return QCoreApplication::translate("RulesFromLog", "Screening Rules");
}

// The number of the selected caller-ID line; empty (with the log's own message) when the
// selection is no caller-ID line or holds no number.
QString SelectedNumber(QListWidget* lstWhite) {
    const QListWidgetItem* selected = lstWhite->selectedItems().value(0);
    QString number;
    if (!selected || !CallerNumberFromLogLine(selected->text(), &number) ||
        number == QLatin1String("UNKNOWN") || number.isEmpty()) {
        ShowMessage(QCoreApplication::translate("RulesFromLog", "Plese select a Caller ID entry"),
                    Title(), MessageIcon::Information);
        return {};
    }
    return number;
}
} // namespace

QString PrefixPatternFor(const QString& number) {
    QString out = number.startsWith(u'+') ? QStringLiteral("+") : QString();
    int digits = 0;
    for (const QChar c : number) {
        if (c >= u'0' && c <= u'9' && digits < 6) {
            out += c;
            ++digits;
        }
    }
    return digits == 6 ? out + u'*' : QString();
}

void AddRuleItemsToLogMenu(QMenu* menu, QListWidget* lstWhite, const QString& folder) {
    menu->addSeparator();
    QAction* allow =
        menu->addAction(QCoreApplication::translate("RulesFromLog", "Always let this number ring"));
    allow->setObjectName(QStringLiteral("mnuAllowRule"));
    QAction* like =
        menu->addAction(QCoreApplication::translate("RulesFromLog", "Block numbers like this..."));
    like->setObjectName(QStringLiteral("mnuBlockLike"));
    QObject::connect(allow, &QAction::triggered, lstWhite, [lstWhite, folder] {
        const QString number = SelectedNumber(lstWhite);
        if (number.isEmpty())
            return;
        const ParsedRule parsed = MakeRule(RuleAction::Allow, RuleField::Number, number, {});
        QString message;
        const RuleEdit edit =
            parsed.rule ? AddRule(RulesPath(folder), *parsed.rule, &message) : RuleEdit::Refused;
        if (!parsed.rule)
            message = parsed.error;
        if (edit != RuleEdit::Done)
            ShowMessage(message, Title(),
                        edit == RuleEdit::Refused ? MessageIcon::Information
                                                  : MessageIcon::Critical);
    });
    QObject::connect(like, &QAction::triggered, lstWhite, [lstWhite, folder] {
        const QString number = SelectedNumber(lstWhite);
        if (number.isEmpty())
            return;
        Rule start;
        start.action = RuleAction::Block;
        start.field = RuleField::Number;
        start.pattern = PrefixPatternFor(number);
        if (start.pattern.isEmpty())
            start.pattern = number;
        AddRuleWithDialog(lstWhite->window(), folder, start);
    });
}
