// Resource IDs of the module.
#pragma once

#define IDS_VENNOX 1          // user type name "Vennox Control"
#define IDB_VENNOX 1          // 31 x 31, 16 colours: the control's picture and toolbox bitmap
#define IDI_ABOUTDLL 1        // 32 x 32 and 16 x 16, 16 colours
#define IDR_TYPELIB 1         // resource type "TYPELIB"
#define IDD_ABOUTBOX_VENNOX 1 // the About dialog

// Pages of the configuration sheet: template ID = tab caption string ID.
#define IDD_NODEINFO 200
#define IDD_ZONE1_ACTUAL 201
#define IDD_ZONE1_SETTINGS 202
#define IDD_ZONE2_ACTUAL 203
#define IDD_ZONE2_SETTINGS 204
#define IDD_ZONE3_ACTUAL 205
#define IDD_ZONE3_SETTINGS 206
#define IDD_ZONE4_ACTUAL 207
#define IDD_ZONE4_SETTINGS 208
#define IDD_COMMON 209
#define IDC_READ 201
#define IDC_WRITE 202
#define IDC_NODENAME 356
#define IDC_COOL_AUTOMATIC 269
#define IDC_HEAT_AUTOMATIC 268
#define IDC_CLOSED_VALVE_TIME 270
#define IDC_HEAT_0_10V 276
#define IDC_HEAT_2_10V 277
#define IDC_COOL_0_10V 278
#define IDC_COOL_2_10V 279

// Zone actual pages. Four controls have the same ID on every zone's page;
// the others have one ID per zone, _1 to _4.
#define IDC_ROOM_TEMP 244
#define IDC_SETPOINT 246
#define IDC_HEAT_VALVE 249
#define IDC_COOL_VALVE 250

#define IDC_OFFSET_1 245
#define IDC_OFFSET_2 281
#define IDC_OFFSET_3 317
#define IDC_OFFSET_4 345
#define IDC_CALC_HEAT_1 247
#define IDC_CALC_HEAT_2 282
#define IDC_CALC_HEAT_3 318
#define IDC_CALC_HEAT_4 346
#define IDC_CALC_COOL_1 248
#define IDC_CALC_COOL_2 283
#define IDC_CALC_COOL_3 319
#define IDC_CALC_COOL_4 347
#define IDC_HEAT_MIN_1 251
#define IDC_HEAT_MIN_2 296
#define IDC_HEAT_MIN_3 324
#define IDC_HEAT_MIN_4 349
#define IDC_HEAT_MAX_1 252
#define IDC_HEAT_MAX_2 297
#define IDC_HEAT_MAX_3 325
#define IDC_HEAT_MAX_4 350
#define IDC_COOL_MIN_UNOCC_1 253
#define IDC_COOL_MIN_UNOCC_2 298
#define IDC_COOL_MIN_UNOCC_3 326
#define IDC_COOL_MIN_UNOCC_4 351
#define IDC_COOL_MIN_STANDBY_1 254
#define IDC_COOL_MIN_STANDBY_2 299
#define IDC_COOL_MIN_STANDBY_3 327
#define IDC_COOL_MIN_STANDBY_4 352
#define IDC_COOL_MIN_OCC_1 255
#define IDC_COOL_MIN_OCC_2 300
#define IDC_COOL_MIN_OCC_3 328
#define IDC_COOL_MIN_OCC_4 353
#define IDC_COOL_MAX_1 256
#define IDC_COOL_MAX_2 301
#define IDC_COOL_MAX_3 329
#define IDC_COOL_MAX_4 354
#define IDC_ROOM_IS_1 263
#define IDC_ROOM_IS_2 306
#define IDC_ROOM_IS_3 334
#define IDC_ROOM_IS_4 348
#define IDC_COOL_AUTO_1 288
#define IDC_COOL_AUTO_2 284
#define IDC_COOL_AUTO_3 320
#define IDC_COOL_AUTO_4 214
#define IDC_COOL_OFF_1 289
#define IDC_COOL_OFF_2 285
#define IDC_COOL_OFF_3 321
#define IDC_COOL_OFF_4 215
#define IDC_COOL_ON_1 290
#define IDC_COOL_ON_2 286
#define IDC_COOL_ON_3 322
#define IDC_COOL_ON_4 216
#define IDC_COOL_LEVEL_1 291
#define IDC_COOL_LEVEL_2 287
#define IDC_COOL_LEVEL_3 323
#define IDC_COOL_LEVEL_4 217
#define IDC_HEAT_AUTO_1 295
#define IDC_HEAT_AUTO_2 302
#define IDC_HEAT_AUTO_3 330
#define IDC_HEAT_AUTO_4 218
#define IDC_HEAT_OFF_1 294
#define IDC_HEAT_OFF_2 303
#define IDC_HEAT_OFF_3 331
#define IDC_HEAT_OFF_4 219
#define IDC_HEAT_ON_1 293
#define IDC_HEAT_ON_2 304
#define IDC_HEAT_ON_3 332
#define IDC_HEAT_ON_4 220
#define IDC_HEAT_LEVEL_1 292
#define IDC_HEAT_LEVEL_2 305
#define IDC_HEAT_LEVEL_3 333
#define IDC_HEAT_LEVEL_4 221

// Zone settings pages. The set point edits have the same IDs on every
// zone's page; the others have one ID per zone, _1 to _4.
#define IDC_SP_COOL_UNOCC 257
#define IDC_SP_COOL_STANDBY 258
#define IDC_SP_COOL_OCC 259
#define IDC_SP_HEAT_UNOCC 260
#define IDC_SP_HEAT_STANDBY 261
#define IDC_SP_HEAT_OCC 262

#define IDC_P_1 271
#define IDC_P_2 311
#define IDC_P_3 340
#define IDC_P_4 218
#define IDC_I_1 272
#define IDC_I_2 312
#define IDC_I_3 341
#define IDC_I_4 219
#define IDC_D_1 273
#define IDC_D_2 313
#define IDC_D_3 342
#define IDC_D_4 220
#define IDC_HEAT_I_1 274
#define IDC_HEAT_I_2 314
#define IDC_HEAT_I_3 343
#define IDC_HEAT_I_4 222
#define IDC_COOL_I_1 275
#define IDC_COOL_I_2 315
#define IDC_COOL_I_3 344
#define IDC_COOL_I_4 223
#define IDC_OCC_TIMEOUT_1 280
#define IDC_OCC_TIMEOUT_2 316
#define IDC_OCC_TIMEOUT_3 339
#define IDC_OCC_TIMEOUT_4 231
#define IDC_RELEASE_COOL_1 264
#define IDC_RELEASE_COOL_2 307
#define IDC_RELEASE_COOL_3 335
#define IDC_RELEASE_COOL_4 232
#define IDC_CHOOSE_INPUT_1 265
#define IDC_CHOOSE_INPUT_2 308
#define IDC_CHOOSE_INPUT_3 336
#define IDC_CHOOSE_INPUT_4 233
#define IDC_WINDOW_SWITCH_1 266
#define IDC_WINDOW_SWITCH_2 309
#define IDC_WINDOW_SWITCH_3 337
#define IDC_WINDOW_SWITCH_4 355
#define IDC_PLUS_MINUS_3_1 267
#define IDC_PLUS_MINUS_3_2 310
#define IDC_PLUS_MINUS_3_3 338
#define IDC_PLUS_MINUS_3_4 235
// Zone 4 alone: the occupancy choice.
#define IDC_CHOOSE_OCCUPANCY 236
#define IDC_OCCUPANCY 238
#define IDC_STANDBY 239
#define IDC_UNOCCUPANCY 240
