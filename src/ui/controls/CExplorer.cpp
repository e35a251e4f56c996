#include "ui/controls/CExplorer.h"

#include <QCoreApplication>
#include <QUrl>
#include <QWebEngineView>

namespace ostiva {

CExplorer::CExplorer(QWidget* parent) : QWidget(parent) {}

CExplorer::~CExplorer() = default;

void CExplorer::PrepareApplication() {
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

QWebEngineView* CExplorer::View() {
    if (!view_) {
        view_ = new QWebEngineView(this);
        view_->setGeometry(rect());
        view_->show();
    }
    return view_;
}

void CExplorer::Navigate(const QString& address) {
    address_ = address;
    pending_ = true;
    // Hidden and never shown: keep the address until the view is needed.
    if (view_ || isVisible()) LoadPending();
}

void CExplorer::LoadPending() {
    if (!pending_) return;
    pending_ = false;
    // Tolerant parsing: the address is used as built, spaces and all; only
    // what HTTP cannot carry is percent-encoded on the way out.
    View()->load(QUrl(address_, QUrl::TolerantMode));
}

void CExplorer::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    LoadPending();
}

void CExplorer::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_) view_->setGeometry(rect());
}

}  // namespace ostiva
