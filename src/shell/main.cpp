// The player: plays the show in data/ of the working directory.
#include "shell/init.h"
#include "shell/input.h"
#include "shell/sound.h"
#include "shell/timer.h"
#include "timeline/effect.h"

// Arguments are ignored: the script is the only configuration.
int main(int, char**) {
    einit.init();
    sound.play();  // right after the clock starts, so music and show time begin together
    for (;;) {
        effect.DrawGLScene();
        timer.getTime();
        input.all();
    }
}
