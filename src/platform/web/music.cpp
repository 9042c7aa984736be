// The music in a browser: the page's <audio> element plays it. A page may
// start sound only on the viewer's gesture, so start-up only names the file
// and the page plays it when the viewer starts the show; the page says when
// it cannot, and the show goes on silently on the page's own clock.
#include "shell/music.h"

#include "platform/web/page.h"

namespace qelo {

bool startMusic(const char* path)
{
    qelo_page_music(path);
    return true;
}

}  // namespace qelo
