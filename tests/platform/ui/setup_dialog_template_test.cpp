#include "platform/ui/setup_dialog_template.h"

#include <set>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace zelvo::platform::ui {
namespace {

namespace ids = setup_dialog;

bool IsInput(ControlKind kind) {
  return kind == ControlKind::kPushButton || kind == ControlKind::kDefaultPushButton ||
         kind == ControlKind::kEditBox || kind == ControlKind::kDropDownList;
}

TEST(SetupDialogTemplateTest, ControlsAreUniqueInsideTheDialogAndTabStopsAreTheInputs) {
  const DialogTemplate& t = SetupDialogTemplate();
  std::set<int> seen;
  int default_buttons = 0;
  for (const ControlTemplate& c : t.controls) {
    SCOPED_TRACE(std::to_string(c.id) + " " + c.text);
    if (c.id != kNoControlId) {
      EXPECT_TRUE(seen.insert(c.id).second) << "duplicate ID";
    }
    EXPECT_EQ(c.tab_stop, IsInput(c.kind));
    EXPECT_GE(c.rect.x, 0);
    EXPECT_GE(c.rect.y, 0);
    EXPECT_LE(c.rect.x + c.rect.width, t.rect.width);
    EXPECT_LE(c.rect.y + c.rect.height, t.rect.height);
    EXPECT_EQ(c.init_entries.empty(), c.kind != ControlKind::kDropDownList);
    if (c.kind == ControlKind::kDefaultPushButton) {
      ++default_buttons;
      EXPECT_EQ(c.id, kIdOk);
      EXPECT_EQ(c.text, "Ok");
    }
    if (c.kind == ControlKind::kGroupBox) {
      EXPECT_EQ(c.id, kNoControlId);
    }
  }
  EXPECT_EQ(default_buttons, 1);
  EXPECT_EQ(seen.size(), 22u);  // 20 IDs of the logic, Ok and Cancel
  const ControlTemplate* status = t.Find(t.status_line_id);
  ASSERT_NE(status, nullptr);
  EXPECT_EQ(status->kind, ControlKind::kStatic);
  EXPECT_EQ(t.Find(kNoControlId), nullptr);
}

TEST(SetupDialogTemplateTest, ListEntriesMatchThePortNumbersAndSpeedIndices) {
  const DialogTemplate& t = SetupDialogTemplate();
  const ControlTemplate* ports = t.Find(ids::kPortList);
  ASSERT_NE(ports, nullptr);
  ASSERT_EQ(ports->init_entries.size(), 19u);
  for (size_t i = 0; i < ports->init_entries.size(); ++i) {
    EXPECT_EQ(ports->init_entries[i], "COM" + std::to_string(i + 1));
  }
  const ControlTemplate* speeds = t.Find(ids::kSpeedList);
  ASSERT_NE(speeds, nullptr);
  EXPECT_EQ(speeds->init_entries,
            (std::vector<std::string>{"9600", "19200", "38400", "57600", "115200"}));
}

}  // namespace
}  // namespace zelvo::platform::ui
