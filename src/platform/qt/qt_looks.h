#pragma once
// Looks drawn once and shared by every element that shows them.
#include <QPixmap>
#include <QPixmapCache>
#include <map>

namespace tov::qt::detail {

/// Pictures drawn once and shared through Qt's pixmap cache, found by a key of plain numbers
/// rather than by a text made for every look asked for. Never destroyed, as the cache is not.
template <class Key>
class Looks {
 public:
  bool find(const Key& key, QPixmap* out) const {
    const auto it = mKeys.find(key);
    return it != mKeys.end() && QPixmapCache::find(it->second, out);
  }
  void insert(const Key& key, const QPixmap& look) {
    if (mKeys.size() >= 2 * mSwept + 64) {
      // Looks the cache let go of.
      std::erase_if(mKeys, [](const auto& entry) { return !entry.second.isValid(); });
      mSwept = mKeys.size();
    }
    mKeys[key] = QPixmapCache::insert(look);
  }

 private:
  std::map<Key, QPixmapCache::Key> mKeys;
  std::size_t mSwept = 0;
};

}  // namespace tov::qt::detail
