#pragma once
// How the engine tells its owner that show data changed (the console then marks the
// show as changed and asks to save on New, Open and Exit). The listener is called
// with no Event List lock and no mixer lock held (the engine lock may be held), so it
// may take the engine lock itself.

#include <functional>
#include <utility>

namespace j4::engine {

class ShowChanges {
  public:
    void setListener(std::function<void()> listener) { listener_ = std::move(listener); }
    void notify() const {
        if (listener_) listener_();
    }

  private:
    std::function<void()> listener_;
};

}  // namespace j4::engine
