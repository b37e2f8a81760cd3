#pragma once

#include "WorkerTypes.h"

#include <QDialog>
#include <QMutex>

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

/// Frameless modal dialog showing a worker's message and progress, with a
/// "CANCEL" button. The worker's signals only store the newest text and
/// count; a 100 ms timer copies them into the widgets while the dialog is
/// shown, so a fast worker cannot flood the interface.
///
/// The worker's state drives it: 1 shows it, 0 hides it. CANCEL, Escape and
/// closing the window all emit canceled() and leave the dialog up until the
/// worker reports that it stopped.
/// GUI thread only, except setMessage() and setProgressChanged().
class ProgressDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ProgressDialog(QWidget* parent = nullptr);

    QString message() const;
    /// The bar's value: value * 100 / total, truncated; 0 when total is 0.
    static int percent(int value, int total);

signals:
    void canceled();

public slots:
    void setMessage(const QString& text);
    void setProgressChanged(int val, int total);
    void reset();
    void workerStateChanged(WorkerStates state);
    /// Copies the stored text and progress into the widgets.
    void onUpdateView();
    /// Emits canceled(); the dialog stays until the worker stops.
    void reject() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    QLabel* m_label;
    QProgressBar* m_bar;
    QPushButton* m_cancel;
    QTimer* m_timer;

    mutable QMutex m_mutex; ///< guards the three values below
    QString m_text;
    int m_value = 0;
    int m_total = 1;
};
