#pragma once

#include <QFrame>
#include <QMap>

class Button;
class QButtonGroup;

/// The "Formats" entry of the library's category column: a header button
/// that expands to one checkable button per format code, each shown only
/// while the library holds books of its format ("epub (12)"). The format
/// buttons join the page's category group with id 1000 + format code.
class ListFormats : public QFrame
{
    Q_OBJECT
public:
    static constexpr int FormatCount = 8; ///< codes 0 to 7
    static constexpr int IdBase = 1000;

    explicit ListFormats(QButtonGroup* group, QWidget* parent = nullptr);

    bool isExpanded() const { return m_expanded; }
    Button* formatButton(int format) const;

public slots:
    /// Shows the header only for a non-empty map, and the buttons of the
    /// formats in it with their counts; hides the others.
    void updateCounts(const QMap<int, int>& counts);
    void expand();
    void collapse();
    /// Collapses and unchecks nothing: the group keeps its checked button.
    void reset();
    /// Toggles between expanded and collapsed.
    void buttonFormats();

private:
    void retranslate();
    void changeEvent(QEvent* event) override;

    Button* m_header = nullptr;
    QFrame* m_body = nullptr;
    QList<Button*> m_buttons;
    QMap<int, int> m_counts;
    bool m_expanded = false;
};
