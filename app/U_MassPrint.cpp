#include "U_MassPrint.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TF_MassPrint::TF_MassPrint(QWidget* parent) : QDialog(parent)
{
    setObjectName("F_MassPrint");
    setWindowTitle("Mass Print");
    setWindowModality(Qt::ApplicationModal); // the main window waits, but the run goes on
    auto* layout = new QVBoxLayout(this);
    lblCount = new QLabel(this);
    lblCount->setObjectName("lblCount");
    lblAddress = new QLabel(this);
    lblAddress->setObjectName("lblAddress");
    lblAddress->setMinimumWidth(280);
    btnStop = new QPushButton("Stop", this);
    btnStop->setObjectName("btnStop");
    layout->addWidget(lblCount);
    layout->addWidget(lblAddress);
    layout->addWidget(btnStop, 0, Qt::AlignHCenter);
    connect(btnStop, &QPushButton::clicked, this, [this] {
        m_stop = true;
        btnStop->setEnabled(false); // the piece being printed still finishes
    });
}

void TF_MassPrint::showPiece(unsigned at, unsigned count, const QString& firstLine)
{
    lblCount->setText(QString("Printing %1 of %2").arg(at).arg(count));
    lblAddress->setText(firstLine);
}

bool TF_MassPrint::stopRequested()
{
    QApplication::processEvents();
    return m_stop;
}

void TF_MassPrint::reject()
{
    m_stop = true;
    btnStop->setEnabled(false);
}

void TF_MassPrint::closeEvent(QCloseEvent* event)
{
    reject();
    event->ignore(); // it goes when the run ends
}
