#include "U_Database.h"

#include "U_CommonAPI.h"

#include "GlobalVariables.h"
#include "PlatformServices.h"
#include "ZipEdit.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QToolButton>

namespace {

constexpr const char* DeleteQuestion = "Delete Record ?";
constexpr const char* LockFailed = "Lock failed [%1]";

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

struct NavigatorButton
{
    const char* glyph;
    const char* hint;
    const char* name;
};
// First, prior, next, last, insert, delete, post, cancel, refresh: the order of the buttons.
constexpr std::array<NavigatorButton, TTzNavigator::ButtonCount> NavigatorButtons{{
    {"|\u25C0", "First record", "nbFirst"},
    {"\u25C0", "Prior record", "nbPrior"},
    {"\u25B6", "Next record", "nbNext"},
    {"\u25B6|", "Last record", "nbLast"},
    {"+", "Insert record", "nbInsert"},
    {"\u2212", "Delete record", "nbDelete"},
    {"\u2713", "Post edit", "nbPost"},
    {"\u2715", "Cancel edit", "nbCancel"},
    {"\u21BB", "Refresh data", "nbRefresh"},
}};

} // namespace

// Controls --------------------------------------------------------------------------------

TTzEdit::TTzEdit(int typingLimit, bool zipMask, QWidget* parent)
    : LimitedEdit(typingLimit, parent), m_zip(zipMask)
{
    if (m_zip)
        setInputMask("00000-0000;_");
}

QString TTzEdit::fieldText() const
{
    if (!m_zip)
        return text();
    // As every ZIP the program takes from a mask field: five digits when the plus-four is not
    // filled in, nothing when no digit is.
    QString t = displayText();
    t.replace('_', ' ');
    return QString::fromStdString(quill::TrimZip(t.toStdString()));
}

void TTzEdit::showFieldText(const QString& text)
{
    setText(m_zip ? ZipEdit::Places(text) : text);
    setCursorPosition(0);
}

void TTzEdit::keyPressEvent(QKeyEvent* event)
{
    // The mask holds the ZIP to its ten places and types over them; the limit would refuse a
    // digit typed over a full field.
    if (m_zip)
        QLineEdit::keyPressEvent(event);
    else
        LimitedEdit::keyPressEvent(event);
}

TTzNavigator::TTzNavigator(QWidget* parent) : QWidget(parent)
{
    setFocusPolicy(Qt::TabFocus);
    for (int i = 0; i < ButtonCount; ++i) {
        const NavigatorButton& b = NavigatorButtons[static_cast<std::size_t>(i)];
        auto* button = new QToolButton(this);
        button->setObjectName(b.name);
        button->setText(QString::fromUtf8(b.glyph));
        button->setToolTip(b.hint); // the hints are shown
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRaise(false);
        connect(button, &QToolButton::clicked, this, [this, i] { emit clicked(static_cast<Button>(i)); });
        m_buttons[static_cast<std::size_t>(i)] = button;
    }
}

void TTzNavigator::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    // The buttons share the width; the first ones take the pixels left over.
    const int base = width() / ButtonCount, extra = width() % ButtonCount;
    int x = 0;
    for (int i = 0; i < ButtonCount; ++i) {
        const int w = base + (i < extra ? 1 : 0);
        m_buttons[static_cast<std::size_t>(i)]->setGeometry(x, 0, w, height());
        x += w;
    }
}

void TTzNavigator::keyPressEvent(QKeyEvent* event)
{
    // With the focus on the navigator, the arrow and page keys move through the records.
    switch (event->key()) {
    case Qt::Key_Home:
        emit clicked(nbFirst);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
        emit clicked(nbPrior);
        break;
    case Qt::Key_Right:
    case Qt::Key_Down:
        emit clicked(nbNext);
        break;
    case Qt::Key_End:
        emit clicked(nbLast);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

// Data source -----------------------------------------------------------------------------

TDSAddress::TDSAddress(quill::tables::TTzDbf& table, PlatformServices& services, QWidget* window,
                       TTzMemo* memo, TTzEdit* city, TTzEdit* state, TTzEdit* zip)
    : QObject(window), m_table(table), m_services(services), m_window(window), m_memo(memo), m_city(city),
      m_state(state), m_zip(zip)
{
    auto changed = [this] {
        if (!m_loading)
            m_modified = true;
    };
    connect(m_memo, &TTzMemo::textChanged, this, changed);
    for (TTzEdit* e : {m_city, m_state, m_zip})
        connect(e, &TTzEdit::textChanged, this, changed);
}

void TDSAddress::bindFields()
{
    // The controls' own limits, lowered to the file's widths: what is typed is what is kept.
    auto limit = [&](TTzEdit* e, int own, const char* name) {
        const int width = quill::tables::AddressFieldWidth(m_table, name);
        e->setTypingLimit(width > 0 ? std::min(own, width) : own);
    };
    limit(m_city, 35, quill::tables::AddressFieldNames[1]);
    limit(m_state, 4, quill::tables::AddressFieldNames[2]);
    limit(m_zip, 10, quill::tables::AddressFieldNames[3]);
}

quill::tables::AddressRecord TDSAddress::shown() const
{
    quill::tables::AddressRecord r;
    for (const QString& line : m_memo->lines())
        r.lines.push_back(line.toStdString());
    r.city = m_city->text().toStdString();
    r.state = m_state->text().toStdString();
    r.zip = m_zip->fieldText().toStdString();
    return r;
}

void TDSAddress::clearControls()
{
    m_memo->clear();
    for (TTzEdit* e : {m_city, m_state, m_zip})
        e->showFieldText(QString());
}

void TDSAddress::ensureOnRecord()
{
    if (m_table.Active() && m_table.Eof() && m_table.RecCount() > 0)
        m_table.Go(m_table.RecNo() >= 1 && m_table.RecNo() <= m_table.RecCount() ? m_table.RecNo()
                                                                                 : m_table.RecCount());
}

void TDSAddress::showRecord()
{
    m_loading = true;
    struct Done
    {
        bool& flag;
        ~Done() { flag = false; }
    } done{m_loading};
    m_inserting = false;
    m_modified = false;
    ensureOnRecord();
    if (!m_table.Active() || m_table.RecCount() == 0) {
        clearControls();
        return;
    }
    const quill::tables::AddressRecord r = quill::tables::ReadAddress(m_table);
    QStringList lines;
    for (const std::string& line : r.lines)
        lines.append(q(line));
    m_memo->setPlainText(lines.join('\n'));
    m_city->showFieldText(q(r.city));
    m_state->showFieldText(q(r.state));
    m_zip->showFieldText(q(r.zip));
    m_shownAsLoaded = shown();
}

void TDSAddress::lockFailed(const char* operation)
{
    m_services.messageBox(m_window, PlatformServices::BoxKind::Plain, quill::ApplicationTitle,
                          QString(LockFailed).arg(operation), PlatformServices::bit(PlatformServices::Ok));
}

bool TDSAddress::post()
{
    if (!modified())
        return true;
    const quill::tables::AddressRecord r = shown();
    const bool inserting = m_inserting;
    if (inserting) {
        m_table.Insert();
    } else {
        ensureOnRecord();
        if (!m_table.Edit()) {
            lockFailed("Post");
            return false;
        }
    }
    try {
        // Only what the user changed is written: the rest keeps the bytes it has in the file.
        quill::tables::WriteAddress(m_table, r, inserting ? nullptr : &m_shownAsLoaded);
    } catch (const quill::tables::DatasetError& e) {
        m_table.Cancel();
        m_services.messageBox(m_window, PlatformServices::BoxKind::Error, quill::ApplicationTitle,
                              q(m_table.Name + ": " + e.what()), PlatformServices::bit(PlatformServices::Ok));
        return false;
    }
    if (!m_table.Post()) {
        m_table.Cancel();
        lockFailed(inserting ? "Insert" : "Post");
        return false;
    }
    m_inserting = false;
    m_modified = false;
    m_shownAsLoaded = r;
    return true;
}

void TDSAddress::click(TTzNavigator::Button button)
{
    using B = TTzNavigator::Button;
    switch (button) {
    case B::nbFirst:
    case B::nbPrior:
    case B::nbNext:
    case B::nbLast:
    case B::nbRefresh:
        // Moving away from a changed record writes it; one that cannot be written stays.
        if (!post())
            return;
        ensureOnRecord();
        if (m_table.RecCount() > 0) {
            if (button == B::nbFirst)
                m_table.First();
            else if (button == B::nbPrior)
                m_table.Go(m_table.RecNo() > 1 ? m_table.RecNo() - 1 : 1);
            else if (button == B::nbNext)
                m_table.Next(); // past the last record it stays on it
            else if (button == B::nbLast)
                m_table.Go(m_table.RecCount());
        }
        if (button == B::nbRefresh)
            m_table.Refresh();
        showRecord();
        return;
    case B::nbInsert:
        if (!post())
            return;
        m_loading = true;
        clearControls();
        m_loading = false;
        m_inserting = true;
        m_modified = false;
        m_memo->setFocus();
        return;
    case B::nbDelete:
        if (m_inserting) { // a record not yet written is dropped
            showRecord();
            return;
        }
        ensureOnRecord();
        if (m_table.RecCount() == 0)
            return;
        if (!m_table.Deleted()) {
            const int answer =
                m_services.messageBox(m_window, PlatformServices::BoxKind::Confirm, "Confirm", DeleteQuestion,
                                      PlatformServices::bit(PlatformServices::Ok) |
                                          PlatformServices::bit(PlatformServices::Cancel));
            if (answer != PlatformServices::Ok)
                return;
            if (!m_table.ToggleDeleted())
                lockFailed("Delete");
        } else if (!m_table.ToggleDeleted()) {
            lockFailed("Restore");
        }
        return;
    case B::nbPost:
        if (post())
            showRecord();
        return;
    case B::nbCancel:
        showRecord();
        return;
    }
}

QString ShortenedTablePath(const QString& path, const QFontMetrics& metrics, int maxWidth, int fitWidth)
{
    if (metrics.horizontalAdvance(path) <= maxWidth)
        return path;
    QString text = path;
    while (metrics.horizontalAdvance(text) > fitWidth && text.contains('/'))
        text.remove(0, text.indexOf('/') + 1);
    return ".../" + text;
}
