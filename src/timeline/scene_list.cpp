#include "timeline/scene_list.h"

#include <algorithm>
#include <cstdio>

#include "shell/frame_probe.h"

namespace qelo {

SceneList::SceneList(const Clock* clock, std::int32_t capacity)
    : clock(clock),
      capacity(std::max<std::int32_t>(capacity, 0)),
      items(std::make_unique<std::unique_ptr<SceneEntry>[]>(static_cast<std::size_t>(this->capacity)))
{
}

SceneList& SceneList::append(const SceneEntry& entry)
{
    if (count >= capacity) {
        ++refused;
        std::fprintf(stderr, "qelo: scene list is full (%d entries); entry refused\n", capacity);
        return *this;
    }
    items[count] = entry.clone();
    ++count;
    return *this;
}

void SceneList::runAll()
{
    for (std::int32_t i = 0; i < count; ++i) {
        markFrame(FrameMark::EntryStart, i);
        items[i]->run(*this);
        markFrame(FrameMark::EntryEnd, i);
    }
}

}  // namespace qelo
