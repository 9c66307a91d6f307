#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <stdexcept>

namespace zentu::test {

/// Finds a child of a window by its objectName; when it is not there, fails with the names the window does have.
template <typename T> T* Find(QObject* window, const QString& name) {
    if (T* found = window->findChild<T*>(name)) {
        return found;
    }
    QStringList names;
    for (QObject* child : window->findChildren<QObject*>()) {
        if (!child->objectName().isEmpty()) {
            names << child->objectName();
        }
    }
    throw std::runtime_error(("no " + name + " among: " + names.join(QStringLiteral(", "))).toStdString());
}

} // namespace zentu::test
