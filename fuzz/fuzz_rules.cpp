// A rules file and a contacts file of any content. Byte 0 chooses: even, the input is rules.txt;
// odd, the rest is a vCard file whose numbers are turned into allow rules.
//
// The rules file must come back byte for byte, every line must be either a rule, a comment or
// blank, or a reported problem; every rule must read back from its own written form as the same
// rule, and the compiled set must agree with itself on the rules' own patterns. From a vCard
// file every number kept must be one a rule can hold.
#include "FuzzSupport.h"

#include "rules/RuleSet.h"
#include "rules/RulesText.h"
#include "rules/VCardReader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    const QByteArray bytes(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    if (data[0] % 2 == 1) {
        for (const VCardContact& contact : ReadVCards(bytes)) {
            for (const QString& written : contact.numbers) {
                const QString number = ContactNumber(written);
                if (number.isEmpty())
                    continue;
                const ParsedRule parsed =
                    MakeRule(RuleAction::Allow, RuleField::Number, number, contact.name);
                fuzzsupport::check(parsed.rule.has_value(), "a contact number no rule can hold");
                const RuleSet set({*parsed.rule});
                fuzzsupport::check(set.firstMatch(RuleAction::Allow, number, {}) == 0,
                                   "a contact's rule does not match its own number");
            }
        }
        return 0;
    }

    const RulesText text = RulesText::parse(bytes);
    fuzzsupport::check(text.bytes() == bytes, "the rules file did not come back byte for byte");
    const std::vector<Rule> rules = text.rules();
    for (const Rule& rule : rules) {
        const ParsedRule again = ParseRule(rule.text());
        fuzzsupport::check(again.rule && again.rule->sameAs(rule) &&
                               again.rule->label == rule.label,
                           "a rule does not read back from its written form");
    }
    const RuleSet set(rules);
    for (size_t i = 0; i < rules.size(); ++i) {
        const Rule& rule = rules[i];
        // A wildcard-free number pattern is a number that rule matches.
        if (rule.regex || rule.field != RuleField::Number || rule.match.contains(u'*') ||
            rule.match.contains(u'?'))
            continue;
        const int found = set.firstMatch(rule.action, rule.match, {});
        fuzzsupport::check(found >= 0 && found <= int(i), "a plain number misses its own rule");
    }
    return 0;
}
