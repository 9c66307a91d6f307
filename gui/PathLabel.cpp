#include "gui/PathLabel.h"

#include "text/TextHelpers.h"

#include <QEvent>
#include <QLabel>

#include <algorithm>

namespace zentu {

namespace {

constexpr char kElidedTextName[] = "zentuElidedText";

/// Keeps a label's text elided to its width: the whole text is kept here and cut again at every resize.
class ElidedText : public QObject {
public:
    explicit ElidedText(QLabel& label) : QObject(&label), m_label(label) {
        setObjectName(QString::fromLatin1(kElidedTextName));
        label.installEventFilter(this);
    }

    void setText(const QString& text) {
        m_text = text;
        apply();
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == &m_label && (event->type() == QEvent::Resize || event->type() == QEvent::FontChange)) {
            apply();
        }
        return QObject::eventFilter(watched, event);
    }

private:
    void apply() {
        const int width = m_label.contentsRect().width() - 2 * m_label.margin() - m_label.indent();
        m_label.setText(m_label.fontMetrics().elidedText(m_text, Qt::ElideMiddle, std::max(width, 0)));
    }

    QLabel& m_label;
    QString m_text;
};

} // namespace

void KeepLabelFromWideningWindow(QLabel& label) {
    QSizePolicy policy = label.sizePolicy();
    policy.setHorizontalPolicy(QSizePolicy::Ignored);
    label.setSizePolicy(policy);
}

void ShowPathInLabel(QLabel& label, const std::string& path) {
    auto* elided = static_cast<ElidedText*>(
        label.findChild<QObject*>(QString::fromLatin1(kElidedTextName), Qt::FindDirectChildrenOnly));
    if (elided == nullptr) {
        KeepLabelFromWideningWindow(label);
        elided = new ElidedText(label);
    }
    const std::string shown = DisplayPath(path);
    elided->setText(QString::fromUtf8(shown.data(), static_cast<qsizetype>(shown.size())));
    label.setToolTip(QString::fromUtf8(path.data(), static_cast<qsizetype>(path.size())));
}

} // namespace zentu
