#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

/// The window a mass print shows while it runs: which piece of how many, the first line of its
/// address, and a Stop button that ends the run before the next piece.
class TF_MassPrint : public QDialog
{
    Q_OBJECT
public:
    explicit TF_MassPrint(QWidget* parent = nullptr);

    /// Shows piece `at` of `count` and its first address line.
    void showPiece(unsigned at, unsigned count, const QString& firstLine);
    /// Lets a pending press of Stop in, and says whether Stop was pressed.
    bool stopRequested();

    QLabel* lblCount;
    QLabel* lblAddress;
    QPushButton* btnStop;

protected:
    void reject() override; // Escape and the close box stop the run too
    void closeEvent(QCloseEvent* event) override;

private:
    bool m_stop = false;
};
