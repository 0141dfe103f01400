#pragma once

#include <cstdint>

namespace vantrel {

// Transaction types. Requests from clients and the server's own notifications
// share one numbering.
inline constexpr uint16_t kTranGetMessageBoard = 101;
inline constexpr uint16_t kTranNewMessageBoardPost = 102;
inline constexpr uint16_t kTranPostMessageBoard = 103;
inline constexpr uint16_t kTranServerMessage = 104;
inline constexpr uint16_t kTranSendChat = 105;
inline constexpr uint16_t kTranChatMessage = 106;
inline constexpr uint16_t kTranLogin = 107;
inline constexpr uint16_t kTranSendPrivateMessage = 108;
inline constexpr uint16_t kTranShowAgreement = 109;
inline constexpr uint16_t kTranDisconnectUser = 110;
inline constexpr uint16_t kTranServerQuitting = 111;
inline constexpr uint16_t kTranCreatePrivateChat = 112;
inline constexpr uint16_t kTranInviteToChat = 113;
inline constexpr uint16_t kTranDeclineChat = 114;
inline constexpr uint16_t kTranJoinChat = 115;
inline constexpr uint16_t kTranLeaveChat = 116;
inline constexpr uint16_t kTranUserJoinedChat = 117;
inline constexpr uint16_t kTranUserLeftChat = 118;
inline constexpr uint16_t kTranChatSubject = 119;
inline constexpr uint16_t kTranSetChatSubject = 120;
inline constexpr uint16_t kTranAgreed = 121;
inline constexpr uint16_t kTranServerBanner = 122;
inline constexpr uint16_t kTranGetFileList = 200;
inline constexpr uint16_t kTranDownloadFile = 202;
inline constexpr uint16_t kTranUploadFile = 203;
inline constexpr uint16_t kTranDeleteFile = 204;
inline constexpr uint16_t kTranNewFolder = 205;
inline constexpr uint16_t kTranGetFileInfo = 206;
inline constexpr uint16_t kTranSetFileInfo = 207;
inline constexpr uint16_t kTranMoveFile = 208;
inline constexpr uint16_t kTranMakeAlias = 209;
inline constexpr uint16_t kTranDownloadFolder = 210;
inline constexpr uint16_t kTranDownloadQueuePosition = 211;
inline constexpr uint16_t kTranDownloadBanner = 212;
inline constexpr uint16_t kTranUploadFolder = 213;
inline constexpr uint16_t kTranCancelDownload = 214;
inline constexpr uint16_t kTranGetUserList = 300;
inline constexpr uint16_t kTranUserChanged = 301;
inline constexpr uint16_t kTranUserLeft = 302;
inline constexpr uint16_t kTranGetClientInfo = 303;
inline constexpr uint16_t kTranSetUserInfo = 304;
inline constexpr uint16_t kTranListAccounts = 348;
inline constexpr uint16_t kTranUpdateAccounts = 349;
inline constexpr uint16_t kTranNewAccount = 350;
inline constexpr uint16_t kTranDeleteAccount = 351;
inline constexpr uint16_t kTranGetAccount = 352;
inline constexpr uint16_t kTranSetAccount = 353;
inline constexpr uint16_t kTranUserAccess = 354;
inline constexpr uint16_t kTranBroadcast = 355;
inline constexpr uint16_t kTranGetNewsList = 370;
inline constexpr uint16_t kTranGetArticleList = 371;
inline constexpr uint16_t kTranDeleteNewsItem = 380;
inline constexpr uint16_t kTranNewNewsBundle = 381;
inline constexpr uint16_t kTranNewNewsCategory = 382;
inline constexpr uint16_t kTranGetArticle = 400;
inline constexpr uint16_t kTranPostArticle = 410;
inline constexpr uint16_t kTranDeleteArticle = 411;
inline constexpr uint16_t kTranKeepAlive = 500;

}  // namespace vantrel
