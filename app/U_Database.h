#pragma once

#include "LimitedEdit.h"
#include "Memo.h"
#include "tables/AddressTable.h"

#include <QWidget>

#include <array>

class PlatformServices;
class QToolButton;

/// The memo of database mode: shows the lines of the ADDRESS memo of the current record.
class TTzMemo : public Memo
{
    Q_OBJECT
public:
    explicit TTzMemo(QWidget* parent = nullptr) : Memo(parent) {}
};

/// A one-line field of database mode on one field of the address table. With the ZIP mask its
/// text keeps the "-" and reads unfilled places as blanks.
class TTzEdit : public LimitedEdit
{
    Q_OBJECT
public:
    TTzEdit(int typingLimit, bool zipMask, QWidget* parent = nullptr);

    /// What goes into the field: the typed text, or for the ZIP the masked text ("" when no digit
    /// is filled in).
    QString fieldText() const;
    /// Shows a field's value (through the mask for the ZIP).
    void showFieldText(const QString& text);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool m_zip;
};

/// The navigator of database mode: nine buttons that move through, add, delete, post, cancel
/// and re-read records. It is one tab stop; its buttons take no focus.
class TTzNavigator : public QWidget
{
    Q_OBJECT
public:
    enum Button { nbFirst, nbPrior, nbNext, nbLast, nbInsert, nbDelete, nbPost, nbCancel, nbRefresh };
    static constexpr int ButtonCount = 9;

    explicit TTzNavigator(QWidget* parent = nullptr);
    QToolButton* button(Button b) const { return m_buttons[static_cast<std::size_t>(b)]; }

signals:
    void clicked(TTzNavigator::Button button);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    std::array<QToolButton*, ButtonCount> m_buttons{};
};

/// The data source between the address table and the controls of database mode: it shows the
/// current record, keeps what the user changed until it is posted, and runs the navigator's
/// buttons. Table failures leave it as TableErrors for the main window's fatal handling.
class TDSAddress : public QObject
{
    Q_OBJECT
public:
    TDSAddress(quill::tables::TTzDbf& table, PlatformServices& services, QWidget* window, TTzMemo* memo,
               TTzEdit* city, TTzEdit* state, TTzEdit* zip);

    /// Shows the current record (nothing for an empty table); drops unposted changes.
    void showRecord();
    /// Writes what the user changed: in place, or appended after Insert. False when it could not
    /// be written; the user was told and the changes are still on screen.
    bool post();
    /// Runs a navigator button.
    void click(TTzNavigator::Button button);
    /// The controls are being filled from the table, not typed in.
    bool loading() const { return m_loading; }
    bool modified() const { return m_modified || m_inserting; }
    bool inserting() const { return m_inserting; }
    /// The recipient as the controls show it.
    quill::tables::AddressRecord shown() const;
    /// Takes a new table's field widths as the typing limits.
    void bindFields();

private:
    void lockFailed(const char* operation);
    /// A table left past its end (after a run through it) is put back on its last record, so
    /// that an edit goes to that record and not into a new one.
    void ensureOnRecord();
    void clearControls();

    quill::tables::TTzDbf& m_table;
    PlatformServices& m_services;
    QWidget* m_window;
    TTzMemo* m_memo;
    TTzEdit* m_city;
    TTzEdit* m_state;
    TTzEdit* m_zip;
    bool m_loading = false;
    bool m_modified = false;
    bool m_inserting = false;
    quill::tables::AddressRecord m_shownAsLoaded; // the controls as they showed the stored record
};

/// The table's path as `labelDatabaseName` shows it in at most `maxWidth` pixels of `metrics`:
/// leading folders are dropped while the text is wider than `fitWidth`, and "..." and the
/// separator mark the cut.
QString ShortenedTablePath(const QString& path, const QFontMetrics& metrics, int maxWidth = 265,
                           int fitWidth = 251);
