#pragma once

#include <cstdint>

namespace vantrel {

// Field IDs of the field list. Each capability adds the fields it uses.
inline constexpr uint16_t kFieldErrorText = 100;
inline constexpr uint16_t kFieldData = 101;
inline constexpr uint16_t kFieldNickname = 102;
inline constexpr uint16_t kFieldUserId = 103;
inline constexpr uint16_t kFieldIcon = 104;
inline constexpr uint16_t kFieldUserLogin = 105;
inline constexpr uint16_t kFieldPassword = 106;
inline constexpr uint16_t kFieldReferenceNumber = 107;
inline constexpr uint16_t kFieldTransferSize = 108;
inline constexpr uint16_t kFieldChatOptions = 109;
inline constexpr uint16_t kFieldUserAccess = 110;
inline constexpr uint16_t kFieldExtraText = 111;
inline constexpr uint16_t kFieldStatusFlags = 112;
inline constexpr uint16_t kFieldOptions = 113;
inline constexpr uint16_t kFieldChatId = 114;
inline constexpr uint16_t kFieldChatSubject = 115;
inline constexpr uint16_t kFieldQueuePosition = 116;
inline constexpr uint16_t kFieldBannerKind = 152;
inline constexpr uint16_t kFieldBannerLink = 153;
inline constexpr uint16_t kFieldNoAgreement = 154;
inline constexpr uint16_t kFieldVersion = 160;
inline constexpr uint16_t kFieldLoginReserved = 161;
inline constexpr uint16_t kFieldServerName = 162;
inline constexpr uint16_t kFieldFileListEntry = 200;
inline constexpr uint16_t kFieldFileName = 201;
inline constexpr uint16_t kFieldFilePath = 202;
inline constexpr uint16_t kFieldResumeRecord = 203;
inline constexpr uint16_t kFieldTransferOptions = 204;
inline constexpr uint16_t kFieldFileTypeText = 205;
inline constexpr uint16_t kFieldFileCreatorText = 206;
inline constexpr uint16_t kFieldFileSize = 207;
inline constexpr uint16_t kFieldFileCreated = 208;
inline constexpr uint16_t kFieldFileModified = 209;
inline constexpr uint16_t kFieldFileComment = 210;
inline constexpr uint16_t kFieldFileNewName = 211;
inline constexpr uint16_t kFieldFileNewPath = 212;
inline constexpr uint16_t kFieldFileType = 213;
inline constexpr uint16_t kFieldQuotedText = 214;
inline constexpr uint16_t kFieldAutoResponse = 215;
inline constexpr uint16_t kFieldItemCount = 220;
inline constexpr uint16_t kFieldUserEntry = 300;
inline constexpr uint16_t kFieldNewsEntryShort = 320;
inline constexpr uint16_t kFieldArticleList = 321;
inline constexpr uint16_t kFieldCategoryName = 322;
inline constexpr uint16_t kFieldNewsEntry = 323;
inline constexpr uint16_t kFieldNewsPath = 325;
inline constexpr uint16_t kFieldArticleId = 326;
inline constexpr uint16_t kFieldDataFlavor = 327;
inline constexpr uint16_t kFieldArticleTitle = 328;
inline constexpr uint16_t kFieldArticlePoster = 329;
inline constexpr uint16_t kFieldArticleDate = 330;
inline constexpr uint16_t kFieldPreviousArticle = 331;
inline constexpr uint16_t kFieldNextArticle = 332;
inline constexpr uint16_t kFieldArticleData = 333;
inline constexpr uint16_t kFieldArticleFlags = 334;
inline constexpr uint16_t kFieldParentArticle = 335;
inline constexpr uint16_t kFieldFirstChildArticle = 336;
inline constexpr uint16_t kFieldDeleteDescendants = 337;

}  // namespace vantrel
