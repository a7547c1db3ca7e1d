#pragma once

// The lobby's texts, Big5.
namespace lobbytext {

// "連線測試失敗，無法取得IP，不能開新戰場"
inline constexpr const char kNoAddressForRoom[] = "\xb3s\xbdu\xb4\xfa\xb8\xd5\xa5\xa2\xb1\xd1\xa1"
                                                  "A\xb5L\xaak\xa8\xfa\xb1oIP\xa1"
                                                  "A\xa4\xa3\xaf\xe0\xb6}\xb7s\xbe\xd4\xb3\xf5";
// "尚未連上伺服器"
inline constexpr const char kNotConnected[] = "\xa9|\xa5\xbc\xb3s\xa4W\xa6\xf8\xaa"
                                              "A\xbe\xb9";
// "虛擬Local IP不能開新戰場，只能加入戰場。"
inline constexpr const char kVirtualAddressCannotHost[] =
    "\xb5\xea\xc0\xc0Local IP\xa4\xa3\xaf\xe0\xb6}\xb7s\xbe\xd4\xb3\xf5\xa1"
    "A\xa5u\xaf\xe0\xa5[\xa4J\xbe\xd4\xb3\xf5\xa1"
    "C";
// "請選擇您要擔任的武將。"
inline constexpr const char kChooseGeneral[] =
    "\xbd\xd0\xbf\xef\xbe\xdc\xb1z\xadn\xbe\xe1\xa5\xf4\xaa\xba\xaaZ\xb1N\xa1"
    "C";
// "在決定好的地圖中，選擇您要擔任的國家。"
inline constexpr const char kChooseFaction[] =
    "\xa6"
    "b\xa8M\xa9w\xa6n\xaa\xba\xa6"
    "a\xb9\xcf\xa4\xa4\xa1"
    "A\xbf\xef\xbe\xdc\xb1z\xadn\xbe\xe1\xa5\xf4\xaa\xba\xb0\xea\xae"
    "a\xa1"
    "C";
// "場長忙線中，請重新加入。"
inline constexpr const char kHostBusy[] = "\xb3\xf5\xaa\xf8\xa6\xa3\xbdu\xa4\xa4\xa1"
                                          "A\xbd\xd0\xad\xab\xb7s\xa5[\xa4J\xa1"
                                          "C";
// "等待場長同意中，請稍候。"
inline constexpr const char kWaitingForHost[] = "\xb5\xa5\xab\xdd\xb3\xf5\xaa\xf8\xa6P\xb7N\xa4\xa4\xa1"
                                                "A\xbd\xd0\xb5y\xad\xd4\xa1"
                                                "C";
// "場長不同意您的加入。"
inline constexpr const char kHostRefused[] = "\xb3\xf5\xaa\xf8\xa4\xa3\xa6P\xb7N\xb1z\xaa\xba\xa5[\xa4J\xa1"
                                             "C";
// "已經被其他玩家選用了。"
inline constexpr const char kChoiceTaken[] = "\xa4w\xb8g\xb3Q\xa8\xe4\xa5L\xaa\xb1\xae"
                                             "a\xbf\xef\xa5\xce\xa4"
                                             "F\xa1"
                                             "C";
// "請輸入UserName及密碼"
inline constexpr const char kEnterNameAndPassword[] = "\xbd\xd0\xbf\xe9\xa4JUserName\xa4\xce\xb1K\xbdX";
// "連接伺服器中，請稍待。"
inline constexpr const char kConnecting[] = "\xb3s\xb1\xb5\xa6\xf8\xaa"
                                            "A\xbe\xb9\xa4\xa4\xa1"
                                            "A\xbd\xd0\xb5y\xab\xdd\xa1"
                                            "C";
// "請安裝瀏覽器後再執行"
inline constexpr const char kInstallBrowser[] = "\xbd\xd0\xa6w\xb8\xcb\xc2s\xc4\xfd\xbe\xb9\xab\xe1\xa6"
                                                "A\xb0\xf5\xa6\xe6";
// "密碼錯誤"
inline constexpr const char kWrongPassword[] = "\xb1K\xbdX\xbf\xf9\xbb~";
// "已登入，請另選擇ID"
inline constexpr const char kAlreadyLoggedIn[] = "\xa4w\xb5n\xa4J\xa1"
                                                 "A\xbd\xd0\xa5t\xbf\xef\xbe\xdcID";
// "Velmora版本不對，請到網頁下載更新版本"
inline constexpr const char kWrongVersion[] =
    "Velmora\xaa\xa9\xa5\xbb\xa4\xa3\xb9\xef\xa1"
    "A\xbd\xd0\xa8\xec\xba\xf4\xad\xb6\xa4U\xb8\xfc\xa7\xf3\xb7s\xaa\xa9\xa5\xbb";
// "伺服器忙線"
inline constexpr const char kServerBusy[] = "\xa6\xf8\xaa"
                                            "A\xbe\xb9\xa6\xa3\xbdu";
// "遊戲正在進行中。"
inline constexpr const char kGameInProgress[] = "\xb9"
                                                "C\xc0\xb8\xa5\xbf\xa6"
                                                "b\xb6i\xa6\xe6\xa4\xa4\xa1"
                                                "C";
// "連線失敗"
inline constexpr const char kConnectFailed[] = "\xb3s\xbdu\xa5\xa2\xb1\xd1";
// "請先勾選 [我準備好了]。"
inline constexpr const char kTickReadyFirst[] =
    "\xbd\xd0\xa5\xfd\xa4\xc4\xbf\xef [\xa7\xda\xb7\xc7\xb3\xc6\xa6n\xa4"
    "F]\xa1"
    "C";
// "尚未全部準備好。"
inline constexpr const char kNotAllReady[] = "\xa9|\xa5\xbc\xa5\xfe\xb3\xa1\xb7\xc7\xb3\xc6\xa6n\xa1"
                                             "C";
// "不能全部都是盟國"
inline constexpr const char kNotAllAllies[] = "\xa4\xa3\xaf\xe0\xa5\xfe\xb3\xa1\xb3\xa3\xacO\xb7\xf9\xb0\xea";
// "請先取消 [我準備好了]。"
inline constexpr const char kUntickReadyFirst[] =
    "\xbd\xd0\xa5\xfd\xa8\xfa\xae\xf8 [\xa7\xda\xb7\xc7\xb3\xc6\xa6n\xa4"
    "F]\xa1"
    "C";
// "電腦"
inline constexpr const char kComputer[] = "\xb9q\xb8\xa3";
// "[友]"
inline constexpr const char kFriendMark[] = "[\xa4\xcd]";
// "隨機地圖"
inline constexpr const char kRandomMap[] = "\xc0H\xbe\xf7\xa6"
                                           "a\xb9\xcf";
// "城"
inline constexpr const char kCityWord[] = "\xab\xb0";
// "虎牢關之戰", "徐州之戰", "官渡之戰", "赤壁之戰", "漢中爭奪戰", "合肥之戰"
inline constexpr const char* const kBattleNames[] = {"\xaa\xea\xa8"
                                                     "c\xc3\xf6\xa4\xa7\xbe\xd4",
                                                     "\xae}\xa6{\xa4\xa7\xbe\xd4",
                                                     "\xa9x\xb4\xe7\xa4\xa7\xbe\xd4",
                                                     "\xa8\xaa\xbe\xc0\xa4\xa7\xbe\xd4",
                                                     "\xba~\xa4\xa4\xaa\xa7\xb9\xdc\xbe\xd4",
                                                     "\xa6X\xaa\xce\xa4\xa7\xbe\xd4"};
// "初級", "中級", "高級", "專家"
inline constexpr const char* const kLevelNames[] = {"\xaa\xec\xaf\xc5", "\xa4\xa4\xaf\xc5",
                                                    "\xb0\xaa\xaf\xc5",
                                                    "\xb1M\xae"
                                                    "a"};
// "開放", "私人", "自由", "等待", "開戰", "[密]"
inline constexpr const char* const kRoomModeNames[] = {
    "\xb6}\xa9\xf1", "\xa8p\xa4H", "\xa6\xdb\xa5\xd1", "\xb5\xa5\xab\xdd", "\xb6}\xbe\xd4", "[\xb1K]"};
// "Quon賽", "戰役賽"
inline constexpr const char* const kContestNames[] = {"Quon\xc1\xc9", "\xbe\xd4\xa7\xd0\xc1\xc9"};
// "藍色", "紅色", "綠色", "紫色", "橙色", "藍綠色", "黃色", "桃紅色", "黃綠色", "灰色", "亮綠色", "緋褪色",
// "淺藍色", "湛藍色", "紅紫色", "膚色"
inline constexpr const char* const kFactionColourNames[] = {
    "\xc2\xc5\xa6\xe2",      "\xac\xf5\xa6\xe2",         "\xba\xf1\xa6\xe2",
    "\xb5\xb5\xa6\xe2",      "\xbe\xed\xa6\xe2",         "\xc2\xc5\xba\xf1\xa6\xe2",
    "\xb6\xc0\xa6\xe2",      "\xae\xe7\xac\xf5\xa6\xe2", "\xb6\xc0\xba\xf1\xa6\xe2",
    "\xa6\xc7\xa6\xe2",      "\xabG\xba\xf1\xa6\xe2",    "\xe3n\xbf\xc6\xa6\xe2",
    "\xb2L\xc2\xc5\xa6\xe2", "\xb4\xef\xc2\xc5\xa6\xe2", "\xac\xf5\xb5\xb5\xa6\xe2",
    "\xbd\xa7\xa6\xe2"};
// "敵玩家武將全擊退或", "聯合軍佔領所有軍寨", "敵玩家武將全擊退", "", "敵玩家武將全擊退", "",
// "敵玩家武將全擊退或", "佔領所有軍寨"
inline constexpr const char* const kVictoryLines[] = {
    "\xbc\xc4\xaa\xb1\xae"
    "a\xaaZ\xb1N\xa5\xfe\xc0\xbb\xb0h\xa9\xce",
    "\xc1p\xa6X\xadx\xa6\xfb\xbb\xe2\xa9\xd2\xa6\xb3\xadx\xb9\xeb",
    "\xbc\xc4\xaa\xb1\xae"
    "a\xaaZ\xb1N\xa5\xfe\xc0\xbb\xb0h",
    "",
    "\xbc\xc4\xaa\xb1\xae"
    "a\xaaZ\xb1N\xa5\xfe\xc0\xbb\xb0h",
    "",
    "\xbc\xc4\xaa\xb1\xae"
    "a\xaaZ\xb1N\xa5\xfe\xc0\xbb\xb0h\xa9\xce",
    "\xa6\xfb\xbb\xe2\xa9\xd2\xa6\xb3\xadx\xb9\xeb"};
// "自由", "等待", "開戰"
inline constexpr const char* const kPlayerStateWords[] = {"\xa6\xdb\xa5\xd1", "\xb5\xa5\xab\xdd",
                                                          "\xb6}\xbe\xd4"};

} // namespace lobbytext
