#pragma once

#include <QObject>
#include <stdexcept>
#include <string>

// A child of `parent` by the object name the product gives it, as tests reach widgets; a
// missing one fails the test rather than crashing it.
template <typename T>
T& Child(const QObject& parent, const char* objectName) {
    T* child = parent.findChild<T*>(objectName);
    if (!child) throw std::runtime_error(std::string("no child named ") + objectName);
    return *child;
}
