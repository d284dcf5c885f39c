// Every fake port at once, for tests that wire a whole program object.
#pragma once

#include "fake_alerts.h"
#include "fake_bus_name_watch.h"
#include "fake_file_types.h"
#include "fake_hot_key_center.h"
#include "fake_main_queue.h"
#include "fake_notification_center.h"
#include "fake_sound_player.h"
#include "fake_volume_monitor.h"
#include "fake_workspace.h"
