#include "ProgressDialog.h"

#include <QLabel>
#include <QMutexLocker>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

ProgressDialog::ProgressDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint), m_label(new QLabel(this)),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton(tr("CANCEL"), this)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("progressDialog"));
    setModal(true);
    m_label->setObjectName(QStringLiteral("labelProgressMessage"));
    m_label->setWordWrap(true);
    m_label->setMinimumWidth(360);
    m_bar->setObjectName(QStringLiteral("progressBar"));
    m_bar->setTextVisible(false);
    m_cancel->setObjectName(QStringLiteral("buttonCancel"));
    m_cancel->setAutoDefault(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 20, 24, 20);
    layout->setSpacing(12);
    layout->addWidget(m_label);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancel, 0, Qt::AlignRight);

    m_timer->setInterval(100);
    connect(m_timer, &QTimer::timeout, this, &ProgressDialog::onUpdateView);
    connect(m_cancel, &QPushButton::clicked, this, &ProgressDialog::canceled);
    reset();
}

QString ProgressDialog::message() const
{
    QMutexLocker lock(&m_mutex);
    return m_text;
}

int ProgressDialog::percent(int value, int total)
{
    if (total <= 0)
        return 0;
    return int(qBound<qint64>(0, qint64(value) * 100 / total, 100));
}

void ProgressDialog::setMessage(const QString& text)
{
    QMutexLocker lock(&m_mutex);
    m_text = text;
}

void ProgressDialog::setProgressChanged(int val, int total)
{
    QMutexLocker lock(&m_mutex);
    m_value = val;
    m_total = total;
}

void ProgressDialog::reset()
{
    m_bar->setRange(0, 100);
    QMutexLocker lock(&m_mutex);
    m_value = 0;
    m_total = 1;
    m_text.clear();
}

void ProgressDialog::workerStateChanged(WorkerStates state)
{
    if (state == WorkerPreparing) {
        reset();
        onUpdateView();
        // Room for two lines from the start: a long file name wraps, and the
        // dialog must not jump up and down as the names change.
        m_label->ensurePolished();
        m_label->setMinimumHeight(m_label->fontMetrics().lineSpacing() * 2);
        show();
    } else if (state == WorkerIdle) {
        hide();
    }
}

void ProgressDialog::onUpdateView()
{
    QString text;
    int value = 0;
    int total = 1;
    {
        QMutexLocker lock(&m_mutex);
        text = m_text;
        value = m_value;
        total = m_total;
    }
    m_label->setText(text);
    m_bar->setValue(percent(value, total));
}

void ProgressDialog::reject()
{
    emit canceled();
}

void ProgressDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (QWidget* owner = parentWidget()) {
        adjustSize();
        const QRect area = owner->window()->frameGeometry();
        move(area.center() - rect().center());
    }
    m_timer->start();
}

void ProgressDialog::hideEvent(QHideEvent* event)
{
    m_timer->stop();
    QDialog::hideEvent(event);
}
