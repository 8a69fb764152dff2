#include "settings/check_rules.h"

#include "settings/int_or_default.h"

namespace yx::settings {

TimeFault CheckTimeRow(std::string_view cp932_row) {
  if (cp932_row.size() != 4) return TimeFault::Hour;
  const int hour = IntOrDefault(cp932_row.substr(0, 2), -1);
  if (hour < 0 || hour > 23) return TimeFault::Hour;
  const int minute = IntOrDefault(cp932_row.substr(2, 2), -1);
  if (minute < 0 || minute > 59) return TimeFault::Minute;
  return TimeFault::None;
}

std::string TimeFaultMessage(TimeFault fault, std::string_view cp932_row) {
  if (fault == TimeFault::None) return {};
  std::string message = "[";
  message += cp932_row;
  message +=
      fault == TimeFault::Hour ? "]時間の設定に誤りがあります。" : "]分の設定に誤りがあります。";
  return message;
}

std::string_view DestinationMissingMessage() { return "バックアップ先のフォルダが存在しません"; }

std::string_view TooLongMessage() { return " の値が長すぎます (2047 バイトまでです)"; }

std::string_view DestinationUnsetMessage() {
  return "バックアップ先のフォルダが設定されていません";
}

std::string SourceMissingMessage(std::string_view cp932_row) {
  std::string message = "PATH=";
  message += cp932_row;
  message += "バックアップ元のフォルダが存在しません";
  return message;
}

std::string DestinationInSourceMessage(std::string_view cp932_row) {
  std::string message = "PATH=";
  message += cp932_row;
  message += "バックアップ先がこのバックアップ元のフォルダの中にあります";
  return message;
}

std::string ExclusionFaultMessage(int row, std::string_view cp932_row) {
  std::string message = "[";
  message += cp932_row;
  message += "]除外の設定に誤りがあります。(" + std::to_string(row + 1) + "行目)";
  return message;
}

std::string SameFolderNameMessage(std::string_view cp932_row, std::string_view cp932_other) {
  std::string message = "PATH=";
  message += cp932_row;
  message += "、PATH=";
  message += cp932_other;
  message +=
      "バックアップ元のフォルダ名が同じため、バックアップ先で同じフォルダになります。"
      "どちらかを外すか、その上のフォルダを指定してください";
  return message;
}

std::string_view RulesConflictWarning() {
  return "警告：「削除対象」が有効にならないような「強制削除」設定になってます";
}

DateTime CutOff(DateTime reference, int value, bool in_months) {
  return in_months ? AddMonths(reference, -value) : reference - value;
}

DateTime RuleCutOff(bool rule_on, DateTime reference, int value, bool in_months) {
  return rule_on ? CutOff(reference, value, in_months) : kNoCutOff;
}

bool RulesConflict(bool del_on, DateTime del_limit, bool kill_on, DateTime kill_limit) {
  return del_on && kill_on && kill_limit >= del_limit;
}

}  // namespace yx::settings
