#pragma once
// Shared by the dock's source files: element arrays, event raising, guarded handlers, pictures.
#include "platform/element_array.h"
#include "tovdock/dock.h"
#include "tovdock/host.h"

namespace tov {

template <class F, class... A>
bool TovDock::raise(const F& handler, A&... args) {
  // A copy: the handler may replace itself or drop the dock.
  if (F copy = handler) copy(args...);
  return alive();
}

namespace detail {
// Swallows messages once the dock has terminated: the failure then only says the dock went away.
class DockSink : public MessageSink {
 public:
  DockSink(Toolkit& toolkit, const bool& terminated) : mToolkit(toolkit), mTerminated(terminated) {}
  void messageBox(const std::string& text, const std::string& title) override {
    if (!mTerminated) mToolkit.messageBox(text, title);
  }

 private:
  Toolkit& mToolkit;
  const bool& mTerminated;
};
}  // namespace detail

template <class F>
bool TovDock::report(const char* context, F&& body) {
  detail::DockSink sink(*mToolkit, mTerminated);
  return reportFailure(sink, context, std::forward<F>(body));
}

/// Tooltips, texts and constants of the element template.
namespace templ {
inline constexpr const char* kTipClose = "Element ausblenden";
inline constexpr const char* kTipCollapse = "Element zuklappen";
inline constexpr const char* kTipExpand = "Element aufklappen";
inline constexpr const char* kTipOptions = "Einstellungen ändern";
inline constexpr const char* kTipSplit = "Hier ziehen, um die Größe des Elements zu verändern";
inline constexpr const char* kTipMove = "Element kann durch 'drag and drop' verschoben werden";
inline constexpr const char* kKeepOneVisible = "Sie müssen mindestens ein Element sichtbar lassen!";
inline constexpr const char* kSection = "DockBar";
}  // namespace templ

/// The button and cursor pictures, drawn in code.
namespace pictures {
PictureRef closeButton();
PictureRef expandButton();
PictureRef collapseButton();
PictureRef optionsButton();
PictureRef handCursor();
}  // namespace pictures

}  // namespace tov
