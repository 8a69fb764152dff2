// The settings record and the window's controls, the one place each way:
// showing writes each value into its control (raising the control's change
// event as a user's change would), reading takes the controls as they are now.
#include "app/settings_form.h"

namespace yx::app {

static_assert(ui::StringGrid::kRows == settings::kRows);

void TForm2::ShowSettings(const settings::Settings& s) {
  // In the order of the file's keys, as the values have always been shown.
  for (size_t day = 0; day < s.launch_days.size(); ++day)
    ListWeek.SetChecked(day, s.launch_days[day]);
  for (size_t day = 0; day < s.del_days.size(); ++day) ListDel.SetChecked(day, s.del_days[day]);
  ChkTime1.SetChecked(s.use_time_list);
  ChkTime2.SetChecked(!ChkTime1.Checked());
  for (int row = 0; row < settings::kRows; ++row)
    GridTime.SetCell(row, s.times[static_cast<size_t>(row)]);
  SpinSatH.SetValue(s.period_hour);
  SpinSatM.SetValue(s.period_minute);
  SpinSpan.SetValue(s.period_span);
  ChkLha.SetChecked(s.use_lha);
  ChkDel.SetChecked(s.del_use);
  SpinDel.SetValue(s.del_value);
  // A radio pair is set from its flag alone: false leaves it as it is.
  if (s.del_in_months) RdoDelM.SetChecked(true);
  ChkKill.SetChecked(s.kill_use);
  SpinKill.SetValue(s.kill_value);
  if (s.kill_in_months) RdoKillM.SetChecked(true);
  EditTo.SetText(s.destination);
  for (int row = 0; row < settings::kRows; ++row)
    EditFrom.SetCell(row, s.sources[static_cast<size_t>(row)]);
  ChkLink.SetChecked(s.link_use);
}

settings::Settings TForm2::ShownSettings() const {
  settings::Settings s;
  for (size_t day = 0; day < s.launch_days.size(); ++day) {
    s.launch_days[day] = ListWeek.Checked(day);
    s.del_days[day] = ListDel.Checked(day);
  }
  s.use_time_list = ChkTime1.Checked();
  for (int row = 0; row < settings::kRows; ++row) {
    s.times[static_cast<size_t>(row)] = GridTime.Cell(row);
    s.sources[static_cast<size_t>(row)] = EditFrom.Cell(row);
  }
  s.period_hour = SpinSatH.Value();
  s.period_minute = SpinSatM.Value();
  s.period_span = SpinSpan.Value();
  s.use_lha = ChkLha.Checked();
  s.del_use = ChkDel.Checked();
  s.del_value = SpinDel.Value();
  s.del_in_months = RdoDelM.Checked();
  s.kill_use = ChkKill.Checked();
  s.kill_value = SpinKill.Value();
  s.kill_in_months = RdoKillM.Checked();
  s.destination = EditTo.Text();
  s.link_use = ChkLink.Checked();
  return s;
}

}  // namespace yx::app
