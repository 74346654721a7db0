// A person at the screen for GUI tests: steps that each wait for their moment and then act, and the search for a
// visible top-level window of a kind.
#pragma once

#include <QApplication>
#include <QObject>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <vector>

namespace testsupport {

// The first visible top-level window of type T, or nullptr.
template <typename T> T* visibleTopLevel()
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* found = qobject_cast<T*>(w); found && found->isVisible())
            return found;
    }
    return nullptr;
}

// It runs from a timer, so it keeps working inside the modal loops of dialogs and message boxes; a step that opens
// a modal window of its own should queue its action, so that it does not block the timer.
class Person : public QObject {
public:
    struct Step {
        std::function<bool()> ready;
        std::function<void()> act;
    };

    explicit Person(std::vector<Step> steps)
        : steps(std::move(steps))
    {
        connect(&timer, &QTimer::timeout, this, [this] {
            if (next < this->steps.size() && this->steps[next].ready()) {
                const size_t step = next++;
                this->steps[step].act();
            }
        });
        timer.start(10);
    }
    bool done() const { return next == steps.size(); }

private:
    std::vector<Step> steps;
    size_t next = 0;
    QTimer timer;
};

} // namespace testsupport
