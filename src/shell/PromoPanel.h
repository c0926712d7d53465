#pragma once

#include "shell/PromoTable.h"

#include <QGroupBox>
#include <functional>

class QLabel;
class QTimer;

// The "Cool Stuff" panel of the main window: lblCool shows one title of the promotion table and
// changes to a randomly picked one every ten seconds (timCoolStuff); a click opens the page of
// the title shown. Label1 names the maker's help page and opens it. Both show the hand pointer.
// Pages open through OpenUrl, so tests see them without a browser. The hand pointer belongs to
// the two labels themselves, so it goes back to the default as soon as the mouse leaves them.
class PromoPanel : public QGroupBox {
    Q_OBJECT
public:
    // random: a fraction 0 <= r < 1 for each pick; by default a well-seeded generator.
    explicit PromoPanel(QWidget* parent = nullptr, std::function<double()> random = {});
    ~PromoPanel() override;

    // Picks an entry and shows it (at start and on every tick of timCoolStuff).
    void ShowRandomEntry();

    // The link of the entry shown; what a click on lblCool opens.
    QString currentLink() const { return m_currentLink; }
    const PromoTable& table() const { return m_table; }

    // The hand pointer belongs to the labels, so moving over any other area already shows the
    // default pointer; nothing needs to be registered. Kept for hosts that name their areas.
    void addCursorResetArea(QWidget* /*area*/) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    PromoTable m_table;
    QString m_currentLink;
    std::function<double()> m_random;
    QString m_makerLink;
    QLabel* m_lblCool = nullptr;
    QLabel* m_label1 = nullptr;
    QTimer* m_timCoolStuff = nullptr;
};
