#include "support/sync_show.h"

#include <gtest/gtest.h>

#include "shapes3ds.h"
#include "support/capture_run.h"

void writeSyncShow(const ShowDir& show) {
    writeSolidJpeg(show.data() + "/blue.jpg", 32, 32, "rgb(30,60,220)");
    writeSolidJpeg(show.data() + "/green.jpg", 32, 32, "rgb(40,200,60)");
    writeSolidJpeg(show.data() + "/red.jpg", 32, 32, "rgb(220,40,40)");
    writeSolidJpeg(show.data() + "/white.jpg", 16, 16, "white");
    ASSERT_TRUE(writeBytes(show.data() + "/box.3ds", file3DS({boxMesh("box", 2.0f)}, "green.jpg")));
    show.writeScript(
        "Default !fullscreen 640x480\n"
        // 0: a loop with a zero-length mark; 1: marks shorter than a frame,
        // taken late, one a frame; 2: a track nobody has; 3: the sync
        // scene's own track among the marks; 4: one long animated look.
        "Sync 1 250 2 250 3 125 2 0 1 375\n"
        "Sync 2 7 3 9 1 5\n"
        "Sync 99 400\n"
        "Sync 12 300 1 200\n"
        "Sync 2 3200\n"
        "@sync\n"
        "0 track 1 type 1 object red.jpg center scale 2 2 1 to 3 3 1 blend insync\n"
        "0 track 2 type 1 object green.jpg to white.jpg move 100 10 to 140 90 opacity 1 to 0.2 insync\n"
        "0 track 3 type 1 object blue.jpg mask white.jpg to red.jpg move 110 60 insync\n"
        // No texture of its own: drawn first, with the binding the frame
        // before left, which the image below it animates.
        "0 track 30 type 1 object missing.jpg scale 81 81 1 blendFunc 1 0 duration 12000\n"
        "0 track 0 type 1 object blue.jpg to white.jpg move 120 0 duration 4000\n"
        "500 track 10 type 1 object red.jpg sync 0 duration 6000\n"
        "500 track 11 type 1 object green.jpg sync 1 duration 1500\n"
        "1000 track 12 type 1 object blue.jpg sync 2 duration 2000\n"
        "1200 track 12 type 1 object red.jpg move 60 60 sync 3 duration 4000\n"
        "1500 track 4 scene 1 translate 0 0 -60 angle 0 to 300 rotate 0 0 1 duration 900\n"
        "2000 track 5 type 1 object white.jpg\n"
        "3000 track 6 type 1 object blue.jpg move 20 80 duration 500\n"
        "2999 track 7 type 1 object red.jpg move 40 80 duration 701\n"
        "3001 track 8 type 1 object green.jpg move 60 90 duration 300\n"
        "3002 track 8 type 1 object white.jpg move 80 90 duration 300\n"
        "4000 track 0 type 0 object box.3ds translate 0 0 -8 angle 0 to 90 rotate 1 1 0 duration 2000\n"
        "4000 track 13 type 1 object red.jpg sync 7 duration 1000\n"
        // A sync template: kept after its life, which ends inside a segment in
        // which it binds a new texture every few frames.
        "5000 track 9 type 1 object green.jpg sync 4 insync duration 1900\n"
        "5000 track 0 type 0 object box.3ds mask red.jpg translate 2 0 -9 duration 1000\n"
        "7000 track 1 type 1 object white.jpg sync 1 duration 700\n"
        "8000 track 0 type 1 object red.jpg mask blue.jpg move 130 100 duration 2500\n"
        "9000 track 2 scene 1 translate 0 0 -80 angle 50 rotate 0 1 0 duration 300\n"
        "10000 track 15 type 1 object blue.jpg sync 0 duration 1500\n"
        // Alone at the end: a texture given by number that stops binding
        // when its number falls below 0, a little before its span ends.
        "11500 track 0 type 1 object 3 to -3 move 0 100 duration 400\n"
        "12.0 end\n"
        "@end\n");
}
