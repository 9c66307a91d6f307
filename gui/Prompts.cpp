#include "gui/Prompts.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QMessageBox>

namespace zentu {

void Prompts::warn(QWidget* parent, const QString& text) {
    notify(parent, text);
}

QString Prompts::openFile(QWidget* /*parent*/, const QString& /*filter*/, const QString& /*start*/) {
    return {};
}

QString Prompts::saveFile(QWidget* /*parent*/, const QString& /*filter*/, const QString& /*start*/) {
    return {};
}

void MessageBoxPrompts::notify(QWidget* parent, const QString& text) {
    // A plain notice: no icon.
    QMessageBox box(QMessageBox::NoIcon, QCoreApplication::applicationName(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool MessageBoxPrompts::askYesNo(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    return box.exec() == QMessageBox::Yes;
}

void MessageBoxPrompts::inform(QWidget* parent, const QString& title, const QString& text) {
    QMessageBox::information(parent, title, text, QMessageBox::Ok);
}

void MessageBoxPrompts::warn(QWidget* parent, const QString& text) {
    QMessageBox::warning(parent, QCoreApplication::applicationName(), text, QMessageBox::Ok);
}

QString MessageBoxPrompts::openFile(QWidget* parent, const QString& filter, const QString& start) {
    return QFileDialog::getOpenFileName(parent, QString(), start, filter);
}

QString MessageBoxPrompts::saveFile(QWidget* parent, const QString& filter, const QString& start) {
    return QFileDialog::getSaveFileName(parent, QString(), start, filter, nullptr, QFileDialog::DontConfirmOverwrite);
}

} // namespace zentu
