#pragma once

#include <QDialog>
#include <QStringList>

class PlatformServices;
class QLabel;
class QPushButton;

/// A modal question box whose buttons carry the caller's captions. The first caption is the
/// rightmost button; the focus starts on the leftmost.
class TButtonsBox : public QDialog
{
    Q_OBJECT
public:
    TButtonsBox(const QString& caption, const QString& text, const QStringList& buttons, QWidget* parent = nullptr);

    QLabel* textLabel() const { return m_label; }
    const QList<QPushButton*>& buttons() const { return m_buttons; }

    /// Escape and any other way of closing give the cancel result, 2.
    void reject() override;

private:
    QLabel* m_label;
    QList<QPushButton*> m_buttons;
};

/// Shows a TButtonsBox and returns the 1-based number of the button pressed, or 2 when the
/// box was closed otherwise.
int MessageBoxWithButtons(PlatformServices& services, const QString& caption, const QString& text,
                          const QStringList& buttons, QWidget* parent = nullptr);
