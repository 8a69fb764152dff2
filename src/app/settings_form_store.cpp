// The settings record lives in the window's controls: loading writes each
// value into its control (raising the control's change event as a user's
// change would), saving and the run read the controls as they are now.
#include "app/settings_form.h"

namespace yx::app {

using settings::Field;

ui::SpinBox& TForm2::SpinFor(Field field) {
  return const_cast<ui::SpinBox&>(std::as_const(*this).SpinFor(field));
}

const ui::SpinBox& TForm2::SpinFor(Field field) const {
  switch (field) {
    case Field::PeriodHour:
      return SpinSatH;
    case Field::PeriodMinute:
      return SpinSatM;
    case Field::PeriodSpan:
      return SpinSpan;
    case Field::DelValue:
      return SpinDel;
    default:
      return SpinKill;
  }
}

bool TForm2::GetFlag(Field field, int index) const {
  switch (field) {
    case Field::LaunchDays:
      return ListWeek.Checked(static_cast<size_t>(index));
    case Field::DelDays:
      return ListDel.Checked(static_cast<size_t>(index));
    case Field::UseTimeList:
      return ChkTime1.Checked();
    case Field::UseLha:
      return ChkLha.Checked();
    case Field::DelUse:
      return ChkDel.Checked();
    case Field::DelInMonths:
      return RdoDelM.Checked();
    case Field::KillUse:
      return ChkKill.Checked();
    case Field::KillInMonths:
      return RdoKillM.Checked();
    default:
      return false;
  }
}

void TForm2::SetFlag(Field field, int index, bool value) {
  switch (field) {
    case Field::LaunchDays:
      ListWeek.SetChecked(static_cast<size_t>(index), value);
      break;
    case Field::DelDays:
      ListDel.SetChecked(static_cast<size_t>(index), value);
      break;
    case Field::UseTimeList:
      ChkTime1.SetChecked(value);
      ChkTime2.SetChecked(!ChkTime1.Checked());
      break;
    case Field::UseLha:
      ChkLha.SetChecked(value);
      break;
    case Field::DelUse:
      ChkDel.SetChecked(value);
      break;
    case Field::KillUse:
      ChkKill.SetChecked(value);
      break;
    // A radio pair is set from its flag alone: false leaves it as it is.
    case Field::DelInMonths:
      if (value) RdoDelM.SetChecked(true);
      break;
    case Field::KillInMonths:
      if (value) RdoKillM.SetChecked(true);
      break;
    default:
      break;
  }
}

int TForm2::GetInteger(Field field) const { return SpinFor(field).Value(); }

void TForm2::SetInteger(Field field, int value) { SpinFor(field).SetValue(value); }

std::string TForm2::GetText(Field field, int index) const {
  switch (field) {
    case Field::Times:
      return GridTime.Cell(index);
    case Field::Sources:
      return EditFrom.Cell(index);
    case Field::Destination:
      return EditTo.Text();
    default:
      return {};
  }
}

void TForm2::SetText(Field field, int index, const std::string& value) {
  switch (field) {
    case Field::Times:
      GridTime.SetCell(index, value);
      break;
    case Field::Sources:
      EditFrom.SetCell(index, value);
      break;
    case Field::Destination:
      EditTo.SetText(value);
      break;
    default:
      break;
  }
}

}  // namespace yx::app
